#!/usr/bin/env bash
# The HTML report as a browser shows it: headless Chromium renders a page
# over crafted logs whose names try to break out of the markup, and the
# rendered document must hold one row a machine with its verdict, the
# charts (the comparison with an interval a compared machine, a bar a
# machine), no element the names smuggled in, and no text of a chart
# past its picture's edges. The screenshots, at 1280 and 390 pixels wide
# (a phone), stay as the test's artefacts.
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
  log 'turned \u202eabout' 450000 451000 452000
  log 'a machine whose name is as long as a record allows' 300000.5 301000.25 302000.5 300100.5 300200.5 \
    300300.5 300400.5 300500.5 300600.5 300700.5
} >"$dir/runs.jsonl"
"$program" --report --format html --reference 'reference box' "$dir/runs.jsonl" >"$dir/page.html"
run_chromium() {
  timeout 120 "$chromium" --headless --no-sandbox --disable-gpu --hide-scrollbars --disable-background-networking \
    --disable-component-update --no-first-run "$@" 2>/dev/null
}
run_chromium --dump-dom "file://$dir/page.html" >"$dir/dom.html"
run_chromium --window-size=1280,2400 --screenshot="$screenshot" "file://$dir/page.html" >/dev/null
run_chromium --window-size=390,2400 --screenshot="${screenshot%.png}-390.png" "file://$dir/page.html" >/dev/null
# The page with a script that measures every text of every chart against
# its picture's box, as laid out in this browser's fonts.
sed 's|</body>|<script>\
let out = 0, texts = 0;\
for (const svg of document.querySelectorAll("svg")) {\
  const box = svg.viewBox.baseVal;\
  for (const text of svg.querySelectorAll("text")) {\
    const b = text.getBBox();\
    texts++;\
    if (b.x < box.x \|\| b.y < box.y \|\| b.x + b.width > box.x + box.width \|\| b.y + b.height > box.y + box.height) out++;\
  }\
}\
document.body.setAttribute("data-texts", texts);\
document.body.setAttribute("data-outside", out);\
</script></body>|' "$dir/page.html" >"$dir/measured.html"
run_chromium --dump-dom "file://$dir/measured.html" >"$dir/measured-dom.html"
fail() { echo "page_in_browser: $1" >&2; exit 1; }
rows=$(grep -o '<tr[ >]' "$dir/dom.html" | wc -l)
[ "$rows" -eq 7 ] || fail "$rows table rows, not a header and 6 machines"
for verdict in '>reference<' '>faster by ' '>slower by ' '>no difference found: '; do
  grep -q "$verdict" "$dir/dom.html" || fail "no $verdict in the rendered table"
done
bars=$(grep -o '<rect x=' "$dir/dom.html" | wc -l)
[ "$bars" -eq 6 ] || fail "$bars bars in the chart, not 6"
intervals=$(grep -o 'class="interval"' "$dir/dom.html" | wc -l)
[ "$intervals" -eq 5 ] || fail "$intervals intervals in the comparison, not one a machine compared"
grep -q '<div class="table">' "$dir/dom.html" || fail "the table has no box of its own to scroll in"
texts=$(sed -n 's/.*data-texts="\([0-9]*\)".*/\1/p' "$dir/measured-dom.html")
outside=$(sed -n 's/.*data-outside="\([0-9]*\)".*/\1/p' "$dir/measured-dom.html")
[ "${texts:-0}" -ge 30 ] || fail "the charts' texts were not measured (${texts:-none})"
[ "$outside" = 0 ] || fail "$outside of $texts texts reach past their chart's edges"
grep -q 'class="median-ci"' "$dir/dom.html" || fail "no median interval drawn"
! grep -q -i -E '<script|<img|<b>bold' "$dir/dom.html" || fail "a name or a fact became markup"
grep -q '&lt;script&gt;' "$dir/dom.html" || fail "the name with markup is not shown as text"
# A right-to-left override in a name cannot turn the page's words after it around.
# (U+202E and U+FFFD as UTF-8 bytes, whatever the locale.)
! grep -q "$(printf '\342\200\256')" "$dir/dom.html" || fail "a bidirectional control reached the page"
grep -q "$(printf 'turned \357\277\275about')" "$dir/dom.html" || fail "the name with a bidirectional control is not shown"
grep -q '<title>pibench: machines compared</title>' "$dir/dom.html" || fail "the page's title changed"
[ -s "$screenshot" ] || fail "no screenshot"
[ -s "${screenshot%.png}-390.png" ] || fail "no screenshot at 390 pixels"
# A real history of one machine (docs/history-build.jsonl: 8 batches, 8 of
# an unoptimised build, 8): its timeline with both changes marked, every
# text inside it at 390 pixels too.
docs=$(cd "$(dirname "$0")/../../docs" && pwd)
"$program" --report --format html "$docs/history-build.jsonl" >"$dir/history.html"
sed 's|</body>|<script>\
let out = 0, texts = 0;\
for (const svg of document.querySelectorAll("svg.timeline")) {\
  const box = svg.viewBox.baseVal;\
  for (const text of svg.querySelectorAll("text")) {\
    const b = text.getBBox();\
    texts++;\
    if (b.x < box.x \|\| b.y < box.y \|\| b.x + b.width > box.x + box.width \|\| b.y + b.height > box.y + box.height) out++;\
  }\
}\
document.body.setAttribute("data-texts", texts);\
document.body.setAttribute("data-outside", out);\
</script></body>|' "$dir/history.html" >"$dir/history-measured.html"
run_chromium --window-size=390,2400 --dump-dom "file://$dir/history-measured.html" >"$dir/history-dom.html"
run_chromium --window-size=390,2400 --screenshot="${screenshot%.png}-history-390.png" "file://$dir/history.html" >/dev/null
changes=$(grep -o 'class="change"' "$dir/history-dom.html" | wc -l)
[ "$changes" -eq 2 ] || fail "$changes changes marked on the timeline, not 2"
grep -q 'class="level"' "$dir/history-dom.html" || fail "no levels drawn on the timeline"
grep -q 'Release -&gt; GNU 12.2.0, x86_64 Linux, Debug' "$dir/history-dom.html" || fail "the change of build is not named"
texts=$(sed -n 's/.*data-texts="\([0-9]*\)".*/\1/p' "$dir/history-dom.html")
outside=$(sed -n 's/.*data-outside="\([0-9]*\)".*/\1/p' "$dir/history-dom.html")
[ "${texts:-0}" -ge 6 ] || fail "the timeline's texts were not measured (${texts:-none})"
[ "$outside" = 0 ] || fail "$outside of $texts texts reach past the timeline's edges"
echo "page_in_browser: 6 machines, their verdicts and the charts rendered, $texts texts inside their charts;" \
  "screenshots $screenshot, ${screenshot%.png}-390.png"
