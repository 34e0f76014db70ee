#!/bin/sh
# Fails when an object built for one vector level defines a symbol outside that level's
# namespace (simd_sse2, simd_avx2, simd_avx512) that the linker merges with other objects' copies
# (weak or unique: an inline function or a template instance). The linker could pick that copy,
# built for the wider instruction set, for baseline code too.
#
#   level_symbols.sh "object;object;..."
status=0
IFS=';'
for object in $*; do
    shared=$(nm -C --defined-only "$object" | grep -E ' [VWuv] ' |
             grep -vE ' (simd_sse2|simd_avx2|simd_avx512)::')
    if [ -n "$shared" ]; then
        echo "$object defines, outside its level's namespace:"
        echo "$shared"
        status=1
    fi
done
exit $status
