# Finds the functions of an i686 PE image that hold an instruction an i486 lacks, and
# whether each can run.  Input: `objdump -d --insn-width=16` of the unstripped image,
# then (after a line "%%DATA") `objdump -s` of all its sections.  Variables: roots = the
# entry point and export addresses (hex, blank-separated).
# Variable gates: functions that call exempt code only in a situation that the check
# proves absent from the image (blank-separated names).
# Output, one line per such function:
#   <name> reachable <address> <instruction> via <chain of callers>
#   <name> gated|unreachable <address> <instruction>
# "gated" functions run only when called from a gate.
#
# A function can run when it is a root, when its address is taken (appears as an
# immediate or displacement in code, or as an aligned word in any section: constructor
# lists, callback tables, vtables), or when a runnable function calls, jumps or falls
# through to it.  This over-approximates what runs, which is the safe direction.

function hexval(s,    i, c, v) {
    v = 0
    s = tolower(s)
    sub(/^0x/, "", s)
    for (i = 1; i <= length(s); i++) {
        c = index("0123456789abcdef", substr(s, i, 1))
        if (c == 0)
            return -1
        v = v * 16 + c - 1
    }
    return v
}

# Filler that the assembler puts between functions; what a function does last is the
# instruction before it.
function is_padding(insn) {
    return insn ~ /^(nop|xchg +%ax,%ax|lea +(%[a-z]s:)?0x0\(%e[sd]i(,%eiz,1)?\),%e[sd]i|mov +%e([sd])i,%e[sd]i|int3|add +%al,\(%eax\)|\(bad\))$/
}

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

BEGIN {
    nfun = 0
    data = 0
    n = split(roots, r, " ")
    for (i = 1; i <= n; i++)
        rootaddr[hexval(r[i])] = 1
}

$0 == "%%DATA" { data = 1; next }

!data && /^[0-9a-f]+ <.*>:$/ {
    name = $2
    gsub(/^<|>:$/, "", name)
    cur = ++nfun
    fname[cur] = name
    faddr[cur] = hexval($1)
    lastreal[cur] = ""
    next
}

!data && cur && /^ *[0-9a-f]+:\t/ {
    split($0, part, "\t")
    insn = part[3]
    gsub(/ +$/, "", insn)
    if (insn == "")
        next
    if (foreign(insn) && !(cur in badinsn)) {
        a = part[1]
        gsub(/[ :]/, "", a)
        badinsn[cur] = a " " insn
    }
    if (!is_padding(insn))
        lastreal[cur] = insn
    if (insn ~ /^(call|jmp|j[a-z]+|loop[a-z]*)[lw]? +[0-9a-f]+ <[^>]+>/) {
        target = insn
        sub(/^[^<]*</, "", target)
        sub(/(\+0x[0-9a-f]+)?>.*$/, "", target)
        if (target != fname[cur])
            edge[cur, ++nedge[cur]] = target
    } else {
        ops = insn
        sub(/^[^ ]+ +/, "", ops)
        while (match(ops, /0x[0-9a-f]+/)) {
            taken[hexval(substr(ops, RSTART, RLENGTH))] = 1
            ops = substr(ops, RSTART + RLENGTH)
        }
    }
    next
}

# Debug information, unwind tables and base relocations hold code addresses that nothing
# calls through.
data && /^Contents of section / {
    unused = ($4 ~ /^\.(debug|eh_frame|reloc)/)
    next
}

# objdump -s lines: " 401000 5589e583 ec18c704 ...  text"; each group is 4 bytes in
# file order, so an aligned little-endian word is the group with its bytes reversed.
data && !unused && /^ [0-9a-f]+ [0-9a-f]/ {
    for (g = 2; g <= 5; g++) {
        if (length($g) != 8 || $g !~ /^[0-9a-f]+$/)
            break
        w = substr($g, 7, 2) substr($g, 5, 2) substr($g, 3, 2) substr($g, 1, 2)
        taken[hexval(w)] = 1
    }
}

END {
    for (i = 1; i <= nfun; i++)
        fun_by_name[fname[i]] = i
    n = split(gates, gatelist, " ")
    for (i = 1; i <= n; i++)
        gate[gatelist[i]] = 1
    walk(0)
    for (i in live)
        runs_somehow[i] = 1
    walk(1)
    for (i = 1; i <= nfun; i++) {
        if (!(i in badinsn))
            continue
        if (i in live)
            print fname[i], "reachable", badinsn[i], "via " path(i)
        else if (i in runs_somehow)
            print fname[i], "gated", badinsn[i]
        else
            print fname[i], "unreachable", badinsn[i]
    }
}

# Marks what can run; with cut set, nothing that a gate function calls counts as run by it.
function walk(cut,    i, q, f, e, t) {
    split("", live)
    split("", reason)
    qn = 0
    for (i = 1; i <= nfun; i++) {
        # Constructor and destructor lists sit in .text on this target but are data.
        if (fname[i] ~ /(CTOR|DTOR)_LIST__$/)
            continue
        if (faddr[i] in rootaddr)
            mark(i, "entry or export")
        else if (faddr[i] in taken)
            mark(i, "address taken")
    }
    for (q = 1; q <= qn; q++) {
        f = queue[q]
        if (cut && (fname[f] in gate))
            continue
        for (e = 1; e <= nedge[f]; e++) {
            t = edge[f, e]
            if (t in fun_by_name)
                mark(fun_by_name[t], fname[f])
        }
        if (lastreal[f] !~ /^(ret|jmp|ud2|hlt|lret|iret)/ && f < nfun)
            mark(f + 1, fname[f] " (falls through)")
    }
}

function mark(f, why) {
    if (f in live)
        return
    live[f] = 1
    reason[f] = why
    queue[++qn] = f
}

# The chain of callers that makes a function reachable, nearest first.
function path(f,    s, n, w) {
    s = ""
    for (n = 0; n < 12; n++) {
        w = reason[f]
        s = s (s == "" ? "" : " <- ") w
        sub(/ \(falls through\)$/, "", w)
        if (!(w in fun_by_name))
            break
        f = fun_by_name[w]
    }
    return s
}
