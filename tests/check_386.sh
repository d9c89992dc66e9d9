#!/usr/bin/env bash
# check_386.sh EXE...: fails when the code of an image holds an instruction that the 80386 does
# not have: those of the 486 on (bswap, cmpxchg, xadd, invd, wbinvd, invlpg), the Pentium
# (cpuid, rdtsc, rdmsr, wrmsr, cmpxchg8b), the Pentium Pro (cmov, fcmov, fcomi, fucomi, ud2,
# rdpmc, the 0F 1F long nops), later ones (sysenter, syscall, SSE fences, fisttp, movbe,
# popcnt, lzcnt, tzcnt, crc32, endbr32) and anything on an MMX or SSE register.
set -euo pipefail
newer='cmov[a-z]*|fcmov[a-z]*|fcomip?|fucomip?|bswap|cmpxchg[0-9a-z]*|xadd[a-z]?|invd|wbinvd|invlpg'
newer+='|cpuid|rdtscp?|rdmsr|wrmsr|rdpmc|ud[012][a-z]?|sysenter|sysexit|syscall|sysret[a-z]*'
newer+='|nop[wlq]|endbr(32|64)|[lms]fence|prefetch[a-z0-9]*|clflush|fisttp[a-z]*|movbe[a-z]?'
newer+='|popcnt[a-z]?|lzcnt[a-z]?|tzcnt[a-z]?|crc32[a-z]?|emms|femms|fxsave|fxrstor|[ls]dmxcsr'
status=0
for exe in "$@"; do
  # The instruction text of each line, symbol names dropped, tested word by word.
  found=$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$exe" |
    awk -F'\t' 'NF >= 2 { sub(/<[^>]*>/, "", $2); print $1 " " $2 }' |
    grep -E "[[:space:]]($newer)([[:space:]]|$)|%[xyz]?mm[0-9]" || true)
  if [ -n "$found" ]; then
    echo "check_386: $exe holds instructions newer than the 80386:" >&2
    echo "$found" | head -20 >&2
    status=1
  fi
done
exit $status
