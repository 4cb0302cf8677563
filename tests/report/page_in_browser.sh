#!/usr/bin/env bash
# The HTML report as a browser shows it: headless Chromium renders a page
# over crafted logs whose names try to break out of the markup, and the
# rendered document must hold one row a machine with its verdict, the
# charts (the comparison with an interval a compared machine, a bar a
# machine), and no element the names smuggled in. Measured in the page as
# laid out at 1280 and 390 pixels wide (a laptop and a phone): every text
# of every chart at least 10 pixels high and inside its chart, no two
# labels of a plot on each other, and at 1280 the table whole on screen
# with each verdict on one line, for these names of up to 50 characters,
# for 300 machines and for one. The screenshots at both widths stay as the
# test's artefacts.
#   page_in_browser.sh PIBENCH CHROMIUM SCREENSHOT
set -euo pipefail
program=$1 chromium=$2 screenshot=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
batch=0
log() {  # machine figure...: a batch a figure
  local machine=$1
  shift
  for figure in "$@"; do
    batch=$((batch + 1))
    printf '{"pibench":"1.1.0","build":{"compiler":"GNU 12.2.0","target":"x86_64 Linux","type":"Release"},'
    printf '"batch":"b%d","run":1,"identifier":"%s","digits":64000,"precise_figure":%s,"result":"correct",' \
      "$batch" "$machine" "$figure"
    printf '"disturbed":[],"system":{"cpu":"CPU <b>bold</b>","logical_cpus":2,"os":"Debian","kernel":"Linux",'
    printf '"governor":null}}\n'
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
# 300 machines of 50-character names, 3 batches each: faster, slower and no
# difference found among them.
awk 'BEGIN {
  for (i = 1; i <= 300; i++) {
    name = substr(sprintf("host %03d, one of a fleet measured over the night in row %d", i, i % 7), 1, 50)
    for (b = 1; b <= 3; b++) {
      printf "{\"pibench\":\"1.1.0\",\"batch\":\"h%d-%d\",\"run\":1,\"identifier\":\"%s\",\"digits\":64000,", i, b, name
      printf "\"precise_figure\":%.1f,\"result\":\"correct\",\"disturbed\":[]}\n", 400000 + i * 90 + (b * 37 * i) % 900
    }
  }
}' >"$dir/fleet.jsonl"
log 'only box' 450000 451000 >"$dir/one.jsonl"
"$program" --report --format html --reference 'reference box' "$dir/runs.jsonl" >"$dir/page.html"
"$program" --report --format html "$dir/fleet.jsonl" >"$dir/fleet.html"
"$program" --report --format html "$dir/one.jsonl" >"$dir/one.html"
fail() { echo "page_in_browser: $1" >&2; exit 1; }
run_chromium() {
  timeout 120 "$chromium" --headless --no-sandbox --disable-gpu --hide-scrollbars --disable-background-networking \
    --disable-component-update --no-first-run "$@" 2>/dev/null
}
# Headless Chromium lays a window out at least 500 pixels wide, so each
# page is shown in a frame of the width wanted, and one run of the browser
# lays out every frame.
framed() {  # PAGE:WIDTH...: a page holding PAGE.html in a frame WIDTH pixels wide, each
  printf '<!DOCTYPE html><html><head><style>body{margin:0}iframe{border:0;height:2400px;display:block}</style>'
  printf '</head><body>\n'
  local frame
  for frame in "$@"; do
    printf '<iframe name="%s-%s" src="%s.html" style="width:%spx"></iframe>\n' "${frame%:*}" "${frame#*:}" \
      "${frame%:*}" "${frame#*:}"
  done
  # What the pages say of themselves, as attributes of this page's body.
  printf '<script>\nonload = () => { for (const f of document.querySelectorAll("iframe"))\n'
  printf '  for (const a of f.contentDocument.body.attributes) document.body.setAttribute(f.name + "-" + a.name, a.value); };\n'
  printf '</script></body></html>\n'
}
run_chromium --dump-dom "file://$dir/page.html" >"$dir/dom.html"
for width in 1280 390; do
  framed "page:$width" >"$dir/page-$width-frame.html"
  shot=$screenshot
  [ "$width" = 1280 ] || shot=${screenshot%.png}-$width.png
  run_chromium --window-size="$width,2400" --screenshot="$shot" "file://$dir/page-$width-frame.html" >/dev/null
done
# A page with a script that measures it as laid out in this browser's fonts:
# each text of each chart (its type's size in pixels as drawn, and its box),
# each plot's labels against each other, the table against its box and each
# verdict's lines.
cat >"$dir/measure.js" <<'EOF'
<script>
const m = {texts: 0, small: 0, outside: 0, overlapping: 0, font: 1e9, height: 1e9, lines: 0};
const overlap = (a, b) => a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
for (const figure of document.querySelectorAll("figure")) {
  const edges = figure.getBoundingClientRect();
  for (const text of figure.querySelectorAll("figcaption, .name, .note, text")) {
    if (text.textContent.trim() === "") continue;
    const box = text.getBoundingClientRect();
    const font = parseFloat(getComputedStyle(text).fontSize) * (text.getScreenCTM ? text.getScreenCTM().a : 1);
    m.texts++;
    m.font = Math.min(m.font, font);
    m.height = Math.min(m.height, box.height);
    const small = font < 10 || box.height < 10;
    const outside = box.left < edges.left - 0.5 || box.right > edges.right + 0.5 || box.right > innerWidth;
    m.small += small;
    m.outside += outside;
    if ((small || outside) && !document.body.hasAttribute("data-example")) {
      document.body.setAttribute("data-example", text.textContent);
    }
  }
  for (const svg of figure.querySelectorAll("svg")) {
    const labels = [...svg.querySelectorAll("text")].map(t => t.getBoundingClientRect());
    labels.forEach((a, i) => { m.overlapping += labels.slice(0, i).filter(b => overlap(a, b)).length; });
  }
}
const table = document.querySelector("div.table");
m.table = Math.ceil(table.querySelector("table").getBoundingClientRect().width);
m.box = Math.floor(table.clientWidth);
const verdicts = [...document.querySelectorAll("#machines th")].findIndex(th => th.textContent === "verdict");
for (const row of document.querySelectorAll("#machines tbody tr")) {
  const range = document.createRange();
  range.selectNodeContents(row.cells[verdicts]);
  m.lines = Math.max(m.lines, new Set([...range.getClientRects()].map(r => Math.round(r.top))).size);
}
m.width = innerWidth;
m.font = m.font.toFixed(1);
m.height = m.height.toFixed(1);
for (const [key, value] of Object.entries(m)) document.body.setAttribute("data-" + key, value);
</script>
EOF
for page in page fleet one; do
  sed "/<\/body>/{
r $dir/measure.js
}" "$dir/$page.html" >"$dir/$page-measured.html"
done
framed page-measured:1280 page-measured:390 fleet-measured:1280 fleet-measured:390 one-measured:1280 \
  >"$dir/measured.html"
run_chromium --allow-file-access-from-files --dump-dom "file://$dir/measured.html" >"$dir/measured-dom.html"
figure() {  # PAGE WIDTH KEY: what the page said of itself at that width
  sed -n "s/.* $1-measured-$2-data-$3=\"\([^\"]*\)\".*/\1/p" "$dir/measured-dom.html"
}
measured() {  # PAGE WIDTH: its figures, checked
  local texts small outside overlapping font height lines table box width example
  texts=$(figure "$1" "$2" texts) small=$(figure "$1" "$2" small) outside=$(figure "$1" "$2" outside)
  overlapping=$(figure "$1" "$2" overlapping) font=$(figure "$1" "$2" font) height=$(figure "$1" "$2" height)
  lines=$(figure "$1" "$2" lines) table=$(figure "$1" "$2" table) box=$(figure "$1" "$2" box)
  width=$(figure "$1" "$2" width) example=$(figure "$1" "$2" example)
  [ "$width" = "$2" ] || fail "$1 laid out ${width:-not} pixels wide, not $2"
  [ "${texts:-0}" -ge 10 ] || fail "$1 at $2 px: the charts' texts were not measured (${texts:-none})"
  [ "$small" = 0 ] ||
    fail "$1 at $2 px: $small of $texts texts smaller than 10 px (the smallest $font px, $height high), as '$example'"
  [ "$outside" = 0 ] || fail "$1 at $2 px: $outside of $texts texts reach past their chart's edges, as '$example'"
  [ "$overlapping" = 0 ] || fail "$1 at $2 px: $overlapping pairs of labels on each other"
  [ "$lines" = 1 ] || fail "$1 at $2 px: a verdict on $lines lines"
  if [ "$2" = 1280 ]; then
    [ "$table" -le "$box" ] || fail "$1 at $2 px: the table is $table pixels wide in a box of $box"
  fi
  echo "page_in_browser: $1 at $2 px: $texts texts, the smallest $font px ($height high), table $table of $box px"
}
measured page 1280
measured page 390
measured fleet 1280
measured fleet 390
measured one 1280
rows=$(grep -o '<tr[ >]' "$dir/dom.html" | wc -l)
[ "$rows" -eq 7 ] || fail "$rows table rows, not a header and 6 machines"
for verdict in '>reference<' '>faster +' '>slower -' '>no difference<' 'title="no difference found: '; do
  grep -q "$verdict" "$dir/dom.html" || fail "no $verdict in the rendered table"
done
bars=$(grep -o '<rect class="bar"' "$dir/dom.html" | wc -l)
[ "$bars" -eq 6 ] || fail "$bars bars in the chart, not 6"
intervals=$(grep -o 'class="interval"' "$dir/dom.html" | wc -l)
[ "$intervals" -eq 5 ] || fail "$intervals intervals in the comparison, not one a machine compared"
grep -q '<div class="table">' "$dir/dom.html" || fail "the table has no box of its own to scroll in"
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
echo "page_in_browser: 6 machines, their verdicts and the charts rendered, the timeline's $texts texts inside it;" \
  "screenshots $screenshot, ${screenshot%.png}-390.png"
