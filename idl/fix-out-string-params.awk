# Post-processes a proxy file that widl 8 wrote in -Oif mode.
#
# An [out] parameter whose pointee is a string pointer (LPWSTR *ppString, and
# [out, string, size_is(,n)] LPWSTR **) must name, as its type, the reference
# pointer that the stub allocates on its stack. widl 8 names the pointer
# behind it instead, so Wine's NDR engine unmarshals into a temporary and the
# caller receives NULL or garbage. This points such parameters back at the
# reference pointer, as MIDL does. The wire format does not change.
#
# Usage: awk -f fix-out-string-params.awk proxy_p.c proxy_p.c > fixed_p.c

function number_in(line, s) {  # the decimal in "... (N) */" or "... = N */"
    s = line
    sub(/^.*(= |\()/, "", s)
    sub(/[^0-9].*$/, "", s)
    return s + 0
}

function label_in(line, s) {  # N in the entry label "/* N (type) */"
    s = line
    sub(/^\/\* /, "", s)
    sub(/[^0-9].*$/, "", s)
    return s + 0
}

function short_in(line, s, v, i) {  # the signed value of NdrFcShort(0x...)
    s = line
    sub(/^.*NdrFcShort\(0x/, "", s)
    sub(/\).*$/, "", s)
    v = 0
    for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789abcdef", tolower(substr(s, i, 1))) - 1
    return v >= 32768 ? v - 65536 : v
}

# Pass 1: for each "FC_RP [allocated_on_stack] [pointer_deref]" at offset rp,
# remember rp as the proper type of whatever it leads to: its target and, if
# that target is a plain (not simple) pointer, that pointer's target too.
FNR == NR {
    if ($0 ~ /^\/\* [0-9]+ (\(.*\) )?\*\/$/) { label = label_in($0); next }
    if (state == "offset" && $0 ~ /Offset= /) {
        target = number_in($0); leads[target] = rp; state = "target"
    } else if (state == "target" && $0 ~ /FC_(OP|UP)/ && $0 !~ /simple_pointer/) {
        state = "hop"
    } else if (state == "hop" && $0 ~ /NdrFcShort\(0x/) {
        leads[target + 2 + short_in($0)] = rp; state = ""
    } else if ($0 ~ /FC_RP \[allocated_on_stack\] \[pointer_deref\]/) {
        rp = label; state = "offset"
    } else state = ""
    next
}

# Pass 2: out parameters that name such a target get the reference pointer.
{
    if ($0 ~ /\/\* type offset = [0-9]+ \*\// && flags ~ /flags:.* out/ && flags !~ /base type/) {
        target = number_in($0)
        if (target in leads) {
            indent = $0; sub(/N.*$/, "", indent)
            printf "%sNdrFcShort(0x%x),\t/* type offset = %d */\n", indent, leads[target], leads[target]
            flags = previous = ""
            next
        }
    }
    print
    flags = previous; previous = $0
}
