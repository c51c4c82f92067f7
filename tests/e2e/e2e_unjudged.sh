#!/bin/bash
# The end-to-end cases a busy machine left unjudged, over one test run. ctest
# names a file in the build tree ($QUORVIN_E2E_UNJUDGED) and every e2e script
# appends a line to it for each case it could not judge (e2e_runs).
#   e2e_unjudged.sh reset FILE   empties it before the first e2e test
#   e2e_unjudged.sh judge FILE   prints the count and the cases; fails when
#                                more than one case went unjudged
# One unjudged case is a machine's bad moment; two or more leave too much of
# the program unchecked for the run to pass.
set -u
mode=${1:-} file=${2:-}
[ -n "$file" ] || { echo "usage: e2e_unjudged.sh reset|judge FILE"; exit 2; }
case $mode in
reset)
    : >"$file"
    ;;
judge)
    if [ ! -f "$file" ]; then
        echo "end-to-end: no test counted its unjudged cases"
        exit 0
    fi
    count=$(grep -c . "$file")
    echo "end-to-end: $count case(s) NOT JUDGED (the machine was too busy)"
    cat "$file"
    if [ "$count" -gt 1 ]; then
        echo "FAIL: more than one end-to-end case went unjudged; run the tests again on a" \
            "quieter machine"
        exit 1
    fi
    ;;
*)
    echo "usage: e2e_unjudged.sh reset|judge FILE"
    exit 2
    ;;
esac
