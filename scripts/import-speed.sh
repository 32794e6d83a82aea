#!/usr/bin/env bash
# Measures `tandemo-cli import` of many rows on a disk, side by side in one run
# with the floor: writing as many files of the same size as the cards, then
# one `sync`. Rounds alternate the two, each into a fresh folder on the same
# disk after the disk has settled; the medians are compared.
#   scripts/import-speed.sh [ROWS] [FOLDER] [ROUNDS]
#   (defaults: 10000, build/import-speed, 3)
# Needs a build (build/tandemo-cli) and the demo test in examples/.
set -euo pipefail
cd "$(dirname "$0")/.."
ROWS="${1:-10000}"
ROOT="${2:-build/import-speed}"
ROUNDS="${3:-3}"
CLI="${TANDEMO_CLI:-build/tandemo-cli}"
[ -x "$CLI" ] || { echo "no $CLI: build first" >&2; exit 2; }

# ext4 passes over the inodes freed in the last half minute when it makes a
# file: a deletion slows the creations that follow it. So nothing is deleted
# while measuring, and the leftovers of an earlier run are let cool first.
if [ -e "$ROOT" ]; then
    rm -rf "$ROOT"
    sync
    sleep 40
fi
mkdir -p "$ROOT"
questions=$("$CLI" check examples/Знакомства.tnd | sed -n 2p)

# The sheet: made-up people, every question answered with 1 or 2.
sheet="$ROOT/sheet.csv"
awk -v rows="$ROWS" -v questions="$questions" 'BEGIN {
    print "name,sex,year,answers,about"
    for (i = 0; i < rows; i++) {
        answers = ""
        for (q = 0; q < questions; q++) answers = answers (q ? " " : "") ((i + q) % 2 + 1)
        printf "Человек %d,%s,%d,%s,люблю кино и книги\n", i, (i % 2 ? "ж" : "м"), 1950 + i % 50, answers
    }
}' > "$sheet"

now() { date +%s%N; }
# Earlier deletions and other writers finish before a measurement starts.
settle() { sync; sleep 3; }
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }

# One round: the import, then the floor into files of the mean size of its
# cards, each into a fresh folder. Rounds alternate which goes first.
imports=()
plains=()
size=0
measure_import() {
    local dir=$1
    mkdir -p "$dir"
    cp examples/Знакомства.tnd "$dir/"
    settle
    local start
    start=$(now)
    "$CLI" import "$dir/Знакомства.tnd" "$sheet" > "$dir.out"
    imports+=($(( ($(now) - start) / 1000000 )))
    summary=$(tail -1 "$dir.out")
}
measure_plain() {
    local dir=$1
    mkdir -p "$dir"
    settle
    local start
    start=$(now)
    for ((i = 0; i < ROWS; i++)); do printf '%s' "$content" > "$dir/f$i"; done
    sync
    plains+=($(( ($(now) - start) / 1000000 )))
}

# The size of a card, from a first import that is not counted.
mkdir -p "$ROOT/probe"
cp examples/Знакомства.tnd "$ROOT/probe/"
"$CLI" import "$ROOT/probe/Знакомства.tnd" "$sheet" > /dev/null
cards=("$ROOT"/probe/*.tn[mw])
size=$(( $(cat "${cards[@]}" | wc -c) / ${#cards[@]} ))
content=$(head -c "$size" /dev/zero | tr '\0' 'x')

for ((r = 1; r <= ROUNDS; r++)); do
    if ((r % 2)); then
        measure_import "$ROOT/import$r"
        measure_plain "$ROOT/plain$r"
    else
        measure_plain "$ROOT/plain$r"
        measure_import "$ROOT/import$r"
    fi
    echo "round $r: import ${imports[-1]} ms ($summary), plain files + sync ${plains[-1]} ms"
done

mi=$(median "${imports[@]}")
mp=$(median "${plains[@]}")
echo "disk of $ROOT: $(df --output=source,fstype "$ROOT" | tail -1 | tr -s ' ')"
echo "import of $ROWS rows ($size bytes a card), median: $mi ms"
echo "$ROWS plain files of $size bytes + sync, median: $mp ms"
awk -v a="$mi" -v b="$mp" 'BEGIN { printf "ratio import / plain: %.2f\n", a / b }'
rm -rf "$ROOT"
