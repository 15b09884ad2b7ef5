/* The larger of two numbers: built for the i686 this becomes a CMOV. */
int iPick(int iLeft, int iRight)
{
    return iLeft > iRight ? iLeft : iRight;
}
