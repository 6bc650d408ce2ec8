#!/usr/bin/env bash
# Renders the guide in headless Chromium at 800 and at 1280 pixels and checks
# what a reader would notice: nothing wider than the page, every picture
# loaded, every <pre> with its line breaks, every in-page link with a target.
#   tests/installer/guide_in_browser.sh Anleitung.html
set -euo pipefail
guide=$(cd "$(dirname "${1:?guide}")" && pwd)/$(basename "$1")
chromium=${ZB_CHROMIUM:-/usr/bin/chromium}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zbguide.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# The page checks itself once everything is loaded and writes what it found
# into an element of its own, which --dump-dom then prints.
cat >"$tmp/check.js" <<'EOF'
addEventListener('load', () => {
  const found = [];
  const page = document.documentElement.clientWidth;
  const name = e => e.tagName.toLowerCase() + (e.id ? '#' + e.id : '') +
                    ' "' + (e.textContent || e.getAttribute('alt') || '').trim().slice(0, 40) + '"';
  // Whatever scrolls or clips inside its own box is not wider than the page.
  const clipped = e => {
    for (let a = e.parentElement; a && a !== document.body; a = a.parentElement)
      if (getComputedStyle(a).overflowX !== 'visible') return true;
    return false;
  };
  if (document.documentElement.scrollWidth > page)
    found.push('the page scrolls sideways: ' + document.documentElement.scrollWidth + ' > ' + page);
  for (const e of document.body.querySelectorAll('*')) {
    const r = e.getBoundingClientRect();
    if (r.width > 0 && (r.right > page + 0.5 || r.left < -0.5) && !clipped(e))
      found.push('wider than the page: ' + name(e) + ' ' + Math.round(r.left) + '..' + Math.round(r.right));
  }
  for (const img of document.images)
    if (!img.complete || img.naturalWidth === 0) found.push('picture not loaded: ' + name(img));
  // Each line of a <pre> must begin at the left edge, below the one before.
  for (const pre of document.querySelectorAll('pre')) {
    const starts = [];
    let atStart = true;
    const walk = document.createTreeWalker(pre, NodeFilter.SHOW_TEXT);
    for (let t = walk.nextNode(); t; t = walk.nextNode())
      for (let i = 0; i < t.data.length; ++i) {
        if (t.data[i] === '\n') { atStart = true; continue; }
        if (!atStart) continue;
        atStart = false;
        const range = document.createRange();
        range.setStart(t, i);
        range.setEnd(t, i + 1);
        starts.push(range.getBoundingClientRect());
      }
    if (starts.some((r, k) => k > 0 && (Math.abs(r.left - starts[0].left) > 1 || r.top <= starts[k - 1].top)))
      found.push('<pre> loses its line breaks: ' + name(pre));
  }
  for (const a of document.querySelectorAll('a[href^="#"]')) {
    const id = decodeURIComponent(a.getAttribute('href').slice(1));
    if (id && !document.getElementById(id)) found.push('link without target: ' + a.getAttribute('href'));
  }
  const out = document.createElement('div');
  out.id = 'zb-check';
  out.textContent = 'width ' + innerWidth + '\n' + found.join('\n');
  document.body.append(out);
});
EOF
perl -0777 -pe 'BEGIN { local $/; open my $f, "<", shift or die; $js = <$f> }
                s{</body>}{<script>$js</script></body>} or die "no </body>\n"' \
    "$tmp/check.js" "$guide" >"$tmp/guide.html"

failures=0
for width in 800 1280; do
    "$chromium" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$tmp/profile-$width" --window-size="$width,1000" --hide-scrollbars \
        --virtual-time-budget=5000 --dump-dom "file://$tmp/guide.html" >"$tmp/dom-$width.html" 2>"$tmp/log-$width"
    report=$(perl -0777 -ne 'if (m{<div id="zb-check">(.*?)</div>}s) { $_ = $1; s/&lt;/</g; s/&gt;/>/g;
                                 s/&quot;/"/g; s/&amp;/&/g; print }' "$tmp/dom-$width.html")
    if [ -z "$report" ]; then
        echo "$width px: the page did not report"; sed 's/^/  /' "$tmp/log-$width"; failures=$((failures + 1))
    elif [ "$(head -1 <<<"$report")" != "width $width" ] || [ "$(wc -l <<<"$report")" -gt 1 ]; then
        echo "$width px:"; sed 's/^/  /' <<<"$report"; failures=$((failures + 1))
    fi
done
[ "$failures" = 0 ]
