#!/bin/bash
# The layers look down only: app > gui > capture > engine > devices > platform
# > core. Fails on an include that points up this order or outside the layers,
# on core/ including anything but core/ (or <windows.h>, except the per-record
# lock header), and on a platform seam without its fake in tests/fakes/.
# Usage: layers_test.sh SOURCE_ROOT, or layers_test.sh --self-test.
set -u

check_tree() {
    local root=$1 bad=0 f layer inc target
    declare -A rank=([core]=0 [platform]=1 [devices]=2 [engine]=3 [capture]=4 [gui]=5 [app]=6)
    cd "$root" || return 2
    while IFS= read -r f; do
        layer=${f%%/*}
        while IFS= read -r inc; do
            if [[ $inc == \<* ]]; then
                if [ "$layer" = core ] && [ "$inc" = "<windows.h>" ] && [ "$f" != core/figures/stats_lock.h ]; then
                    echo "$f: core/ must not include $inc"; bad=1
                fi
                continue
            fi
            inc=${inc//\"/}
            target=${inc%%/*}
            if [ -z "${rank[$target]+x}" ] || [ "$target" = "$inc" ]; then
                echo "$f: includes \"$inc\", which is outside the layers"; bad=1
            elif [ "$layer" = core ] && [ "$target" != core ]; then
                echo "$f: core/ includes only core/, not \"$inc\""; bad=1
            elif [ "${rank[$target]}" -gt "${rank[$layer]}" ]; then
                echo "$f: \"$inc\" points up from $layer/ to $target/"; bad=1
            fi
        done < <(sed -n -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*([<"][^>"]+[>"]).*/\1/p' "$f")
    done < <(find core platform devices engine capture gui app -name '*.cpp' -o -name '*.h' 2>/dev/null | sort)
    check_circles || bad=1
    check_folder_shares || bad=1
    for f in platform/*_win32.cpp platform/*_std.cpp; do
        [ -e "$f" ] || continue
        inc=$(basename "$f" .cpp)
        inc=${inc%_win32}
        inc=${inc%_std}
        if [ ! -e "tests/fakes/fake_$inc.cpp" ]; then
            echo "$f: no tests/fakes/fake_$inc.cpp"; bad=1
        fi
    done
    return $bad
}

# Modules are files without their extension (x.h and x.cpp are module x); a
# circle is a path of includes from a module back to itself.
check_circles() {
    local edges
    edges=$(find core platform devices engine capture gui app -name '*.cpp' -o -name '*.h' 2>/dev/null |
        sort | while IFS= read -r f; do
            sed -n -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/p' "$f" |
                while IFS= read -r inc; do echo "${f%.*} ${inc%.*}"; done
        done)
    python3 - "$edges" <<'PY'
import sys
graph = {}
for line in sys.argv[1].splitlines():
    a, b = line.split()
    if a != b:
        graph.setdefault(a, set()).add(b)
state, stack, bad = {}, [], False
def visit(n):
    global bad
    state[n] = 1
    stack.append(n)
    for m in sorted(graph.get(n, ())):
        if state.get(m) == 1:
            print("include circle: " + " -> ".join(stack[stack.index(m):] + [m]))
            bad = True
        elif m not in state:
            visit(m)
    stack.pop()
    state[n] = 2
for n in sorted(graph):
    if n not in state:
        visit(n)
sys.exit(1 if bad else 0)
PY
}

# No one folder holds more than 30 % of the product's lines: core/ is grouped
# by concept, and a folder that grows past that wants splitting too.
check_folder_shares() {
    local total dir n bad=0
    total=$(find core platform devices engine capture gui app \( -name '*.cpp' -o -name '*.h' \) -exec cat {} + 2>/dev/null | wc -l)
    [ "$total" -ge 1000 ] || return 0  # too small a tree to split (the self-test's)
    while IFS= read -r dir; do
        n=$(find "$dir" -maxdepth 1 \( -name '*.cpp' -o -name '*.h' \) -exec cat {} + | wc -l)
        if [ $((n * 100)) -gt $((total * 30)) ]; then
            echo "$dir/: $n of the product's $total lines, over 30 %"; bad=1
        fi
    done < <(find core platform devices engine capture gui app -type d 2>/dev/null | sort)
    return $bad
}

self_test() {
    local tmp
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' RETURN
    mkdir -p "$tmp/core" "$tmp/engine" "$tmp/gui" "$tmp/platform" "$tmp/tests/fakes"
    echo '#include "core/a.h"' >"$tmp/engine/e.cpp"
    echo '#include "engine/e.h"' >"$tmp/gui/g.cpp"
    touch "$tmp/platform/counter_win32.cpp" "$tmp/tests/fakes/fake_counter.cpp"
    (check_tree "$tmp" >/dev/null) || { echo "self-test: a clean tree was refused"; return 1; }
    for case in 'core/x.h:#include "platform/counter.h"' 'core/x.cpp:#include <windows.h>' \
                'engine/x.cpp:#include "gui/panel.h"' 'devices/x.cpp:#include "tests/fakes/f.h"'; do
        mkdir -p "$tmp/$(dirname "${case%%:*}")"
        echo "${case#*:}" >"$tmp/${case%%:*}"
        (check_tree "$tmp" >/dev/null) && { echo "self-test: missed ${case}"; return 1; }
        rm "$tmp/${case%%:*}"
    done
    echo '#include "core/b.h"' >"$tmp/core/a.cpp"
    echo '#include "core/a.h"' >"$tmp/core/b.h"
    (check_tree "$tmp" >/dev/null) && { echo "self-test: missed an include circle"; return 1; }
    rm "$tmp/core/a.cpp" "$tmp/core/b.h"
    touch "$tmp/platform/heap_std.cpp"
    (check_tree "$tmp" >/dev/null) && { echo "self-test: missed a seam without a fake"; return 1; }
    echo "layers self-test passed"
}

if [ "${1:-}" = --self-test ]; then
    self_test
else
    check_tree "${1:-$(dirname "$0")/..}" && echo "layers: every include looks down"
fi
