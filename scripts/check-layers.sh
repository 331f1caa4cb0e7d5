#!/usr/bin/env bash
# Fails where a source includes a header from a folder above its own, so that the arrows run one
# way: front ends -> dialog/res -> framework/cipher -> base (docs/architecture.md).
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A may_include=(
    [base]="base"
    [cipher]="base cipher"
    [framework]="base framework"
    [res]="base framework res"
    [dialog]="base cipher framework res dialog"
    [app]="base cipher framework res dialog app"
    [recovery]="base cipher recovery"
    [cli]="base cipher recovery res cli"
    [web]="base cipher framework recovery res web"
)
status=0
for folder in "${!may_include[@]}"; do
    while IFS=: read -r file line included; do
        floor=${included%%/*}
        if [[ " ${may_include[$folder]} " != *" $floor "* ]]; then
            echo "$file:$line: $folder/ may not include $included" >&2
            status=1
        fi
    done < <(git grep -n -o -E '^#include "[a-z_]+/[^"]+"' -- "$folder" | sed -E 's/#include "(.*)"/\1/')
done
[ $status -eq 0 ] && echo "check-layers: every include runs downwards"
exit $status
