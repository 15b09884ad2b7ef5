# Finds the functions of an i686 PE image that hold an instruction an i486 lacks.  Input:
# `objdump -d --insn-width=16` of the unstripped image.  Output, one line per such
# function (its first such instruction):
#   <name> <address> <instruction>

# Mnemonics outside the i486 instruction set: P6 (CMOVcc, FCMOVcc, FCOMI, FUCOMI, long NOP),
# Pentium (RDTSC, CPUID, CMPXCHG8B, MSRs), MMX and SSE and later extensions.
function foreign(insn,    m, rest) {
    m = insn
    while (m ~ /^(lock|rep|repz|repnz|repe|repne|data16|addr16|addr32|cs|ds|es|ss|fs|gs|notrack|bnd) /)
        sub(/^[a-z0-9]+ +/, "", m)
    rest = m
    sub(/ .*/, "", m)
    if (m ~ /^(cmov[a-z]+|fcmov[a-z]+|fcomip?|fucomip?|rdtscp?|rdpmc|rdmsr|wrmsr|rsm|cpuid|cmpxchg(8|16)b|sysenter|sysexit|syscall|sysret|nop[wlq]|ldmxcsr|stmxcsr|fxsave|fxrstor|xsave[a-z]*|xrstor[a-z]*|[slm]fence|clflush[a-z]*|prefetch[a-z0-9]*|movnti|f?emms|fisttp[a-z]*|popcnt|lzcnt|tzcnt|movbe|crc32[a-z]*|andn|bextr|blsi|blsmsk|blsr|bzhi|mulx|pdep|pext|rorx|sarx|shlx|shrx|adcx|adox|rdrand|rdseed|xgetbv|monitor|mwait|endbr32|ud1)$/)
        return 1
    if (m == "nop" && rest ~ /^nop +[^ ]/)
        return 1
    return rest ~ /%[xyz]?mm[0-9]/
}

!/^ *[0-9a-f]+:\t/ && /^[0-9a-f]+ <.*>:$/ {
    name = $2
    gsub(/^<|>:$/, "", name)
    # Constructor and destructor lists sit in .text on this target but are data.
    data = (name ~ /(CTOR|DTOR)_LIST__$/)
    reported = 0
    next
}

/^ *[0-9a-f]+:\t/ && !data && !reported {
    split($0, part, "\t")
    insn = part[3]
    gsub(/ +$/, "", insn)
    if (insn == "" || !foreign(insn))
        next
    a = part[1]
    gsub(/[ :]/, "", a)
    print name, a, insn
    reported = 1
}
