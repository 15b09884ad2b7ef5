// Reading INF text the way the launcher always has: a file opened in text mode is read
// in pieces of at most 127 characters (a longer line yields several pieces, each taken
// as a line of its own), and marks are found by case-sensitive substring search inside
// one piece.  Shared by the INF validity test and the stored-INF clean-up.
// No windows.h here: built natively too.
#pragma once
#include "capacities.h"

#include <stdio.h>

// A mark is seen in a piece that holds its first text and, when it has one, its second.
struct InfMark {
    const char* szFirst;
    const char* szSecond;   // nullptr for a one-text mark
};

bool bPieceHasMark(const char* szPiece, const InfMark& mark);

// Reads pieces from the current position until both marks have been seen, in the same
// piece or in different ones, in either order.  True when both were seen.
bool bFileHasBothMarks(FILE* pFile, const InfMark& markA, const InfMark& markB);

// True when the last part of the path is a name that Windows takes for a device at any
// path: CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 and the like, in any letter case, with
// or without an extension.
bool bNamesDevice(const char* szPath);

// True when a listed name ends in ".inf" (in any letter case).  A file search for
// "*.inf" also matches names whose generated short alias ends in .INF, such as x.info
// or oem1.info, and those are no INF files.
bool bIsInfName(const char* szName);

// Opens an INF file for reading in text mode; null when it cannot be opened.  A device
// name is never opened: reading a serial port (COM1, AUX) waits for input that may
// never come, and an INF file is never a device.
FILE* pOpenInfText(const char* szPath);

// Opens the path with pOpenInfText and applies bFileHasBothMarks; false when it cannot
// be opened.
bool bPathHasBothMarks(const char* szPath, const InfMark& markA, const InfMark& markB);
