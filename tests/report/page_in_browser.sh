#!/usr/bin/env bash
# The HTML report as a browser shows it: headless Chromium renders a page
# over crafted logs whose names try to break out of the markup, and the
# rendered document must hold one row a machine with its verdict, the
# chart with a bar a machine, and no element the names smuggled in. The
# screenshot stays as the test's artefact.
#   page_in_browser.sh PIBENCH CHROMIUM SCREENSHOT
set -euo pipefail
program=$1 chromium=$2 screenshot=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
log() {  # machine figure...
  local machine=$1
  shift
  for figure in "$@"; do
    printf '{"pibench":"1.1.0","build":{"compiler":"GNU 12.2.0","target":"x86_64 Linux","type":"Release"},'
    printf '"identifier":"%s","digits":64000,"precise_figure":%s,"result":"correct","disturbed":[],' "$machine" "$figure"
    printf '"system":{"cpu":"CPU <b>bold</b>","logical_cpus":2,"os":"Debian","kernel":"Linux","governor":null}}\n'
  done
}
{
  log 'reference box' 450000 451000 452000 453000 454000 455000
  log '<script>document.title=\"pwned\"</script>' 470000 471000 472000 473000 474000 475000
  log 'slow & \"quoted\" <img src=x>' 400000 401000 402000 403000
  log 'same box' 450500 451500 452500 453500 454500
} >"$dir/runs.jsonl"
"$program" --report --format html --reference 'reference box' "$dir/runs.jsonl" >"$dir/page.html"
run_chromium() { timeout 120 "$chromium" --headless --no-sandbox --disable-gpu --hide-scrollbars "$@" 2>/dev/null; }
run_chromium --dump-dom "file://$dir/page.html" >"$dir/dom.html"
run_chromium --window-size=1500,1000 --screenshot="$screenshot" "file://$dir/page.html" >/dev/null
fail() { echo "page_in_browser: $1" >&2; exit 1; }
rows=$(grep -o '<tr[ >]' "$dir/dom.html" | wc -l)
[ "$rows" -eq 5 ] || fail "$rows table rows, not a header and 4 machines"
for verdict in '>reference<' '>faster by ' '>slower by ' '>no difference found: '; do
  grep -q "$verdict" "$dir/dom.html" || fail "no $verdict in the rendered table"
done
bars=$(grep -o '<rect x=' "$dir/dom.html" | wc -l)
[ "$bars" -eq 4 ] || fail "$bars bars in the chart, not 4"
grep -q 'class="median-ci"' "$dir/dom.html" || fail "no median interval drawn"
! grep -q -i -E '<script|<img|<b>bold' "$dir/dom.html" || fail "a name or a fact became markup"
grep -q '&lt;script&gt;' "$dir/dom.html" || fail "the name with markup is not shown as text"
grep -q '<title>pibench: machines compared</title>' "$dir/dom.html" || fail "the page's title changed"
[ -s "$screenshot" ] || fail "no screenshot"
echo "page_in_browser: 4 machines, their verdicts and the chart rendered; screenshot $screenshot"
