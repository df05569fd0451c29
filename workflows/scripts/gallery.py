"""The gallery: one static HTML page with every subject's thumbnail linking
to its figure, the shared colour bar and limits once at the top, the
subjects whose figure failed with the reason, and a check box per subject
whose marks are saved as a text file of identifiers (marked-subjects.txt).
No server and no script library: it opens from a file. Thumbnails load
lazily, so a page of thousands of subjects opens at once.

The page answers a test hook: opened with #selftest=ID,ID it loads every
image, marks those subjects, presses the save button and writes what it
found into <pre id="selftest"> as JSON.
"""

import argparse
import html
import json
import os

STYLE = """
body { font-family: sans-serif; margin: 0 1em 2em; background: #fafafa; color: #222; }
header { position: sticky; top: 0; background: #fafafa; padding: .5em 0; border-bottom: 1px solid #ccc; z-index: 1; }
h1 { font-size: 1.3em; margin: .2em 0; }
.key { display: flex; align-items: center; gap: .5em; margin: .3em 0; }
.key img { height: 1.2em; width: 24em; image-rendering: auto; }
.grid { display: grid; grid-template-columns: repeat(auto-fill, minmax(%(width)dpx, 1fr)); gap: .8em; margin-top: 1em; }
figure { margin: 0; background: #fff; border: 1px solid #ddd; padding: .3em; }
figure img { width: 100%%; height: auto; display: block; background: #000; }
figcaption label { display: block; padding-top: .2em; font-family: monospace; }
figure:has(input:checked) { border-color: #c00; box-shadow: 0 0 0 2px #c00; }
table { border-collapse: collapse; margin-top: .5em; }
td, th { border: 1px solid #ccc; padding: .2em .5em; text-align: left; vertical-align: top; }
td.why { font-family: monospace; white-space: pre-wrap; }
"""

SCRIPT = r"""
(function () {
  var store = "gyrolux-marks:" + location.pathname;
  var boxes = Array.prototype.slice.call(document.querySelectorAll("input.mark"));
  var count = document.getElementById("count");
  // In table order, wherever on the page the box is.
  boxes.sort(function (a, b) { return a.dataset.order - b.dataset.order; });
  function marked() {
    return boxes.filter(function (b) { return b.checked; }).map(function (b) { return b.value; });
  }
  function changed() {
    var ids = marked();
    count.textContent = ids.length;
    try { localStorage.setItem(store, JSON.stringify(ids)); } catch (e) { /* a file: URL may have no storage */ }
  }
  // Marks survive a reload of the page.
  try {
    var kept = JSON.parse(localStorage.getItem(store) || "[]");
    boxes.forEach(function (b) { b.checked = kept.indexOf(b.value) >= 0; });
  } catch (e) {}
  boxes.forEach(function (b) { b.addEventListener("change", changed); });
  changed();

  document.getElementById("save").addEventListener("click", function () {
    var ids = marked();
    var blob = new Blob([ids.map(function (id) { return id + "\n"; }).join("")],
                        {type: "text/plain"});
    window.gyroluxSaved = blob;
    if (location.hash.indexOf("#selftest=") === 0) return;
    var link = document.createElement("a");
    link.href = URL.createObjectURL(blob);
    link.download = "marked-subjects.txt";
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function () { URL.revokeObjectURL(link.href); }, 10000);
  });

  if (location.hash.indexOf("#selftest=") !== 0) return;
  var wanted = decodeURIComponent(location.hash.slice(10)).split(",").filter(Boolean);
  var images = Array.prototype.slice.call(document.images);
  Promise.all(images.map(function (img) {
    return new Promise(function (done) {
      if (img.complete && img.naturalWidth) return done();
      img.addEventListener("load", done);
      img.addEventListener("error", done);
      img.loading = "eager";
    });
  })).then(function () {
    boxes.forEach(function (b) { if ((wanted.indexOf(b.value) >= 0) !== b.checked) b.click(); });
    document.getElementById("save").click();
    return window.gyroluxSaved.text();
  }).then(function (saved) {
    var report = document.createElement("pre");
    report.id = "selftest";
    report.textContent = JSON.stringify({
      images: images.map(function (img) {
        return {src: img.getAttribute("src"), naturalWidth: img.naturalWidth};
      }),
      count: count.textContent,
      saved: saved
    });
    document.body.appendChild(report);
  });
})();
"""


def options():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--title", default="Cohort figures")
    parser.add_argument("--column", default="0")
    parser.add_argument("--colourbar", default="")
    parser.add_argument("--views", default="")
    parser.add_argument("--limits", nargs=2, required=True)
    parser.add_argument("--subjects", required=True, help="JSON: identifiers in table order")
    parser.add_argument("--out", required=True)
    parser.add_argument("status", nargs="+", help="the shards' status files")
    return parser.parse_args()


def main():
    args = options()
    with open(args.subjects) as index:
        order = json.load(index)
    results = {}
    for path in args.status:
        with open(path) as status:
            for entry in json.load(status):
                results[entry["subject"]] = entry
    missing = [s for s in order if s not in results]
    for subject in missing:
        results[subject] = {"subject": subject, "failed": "no shard reported this subject"}
    drawn = [results[s] for s in order if "failed" not in results[s]]
    failed = [results[s] for s in order if "failed" in results[s]]
    position = {s: i for i, s in enumerate(order)}
    width = max([e["size"][0] for e in drawn] + [160])

    e = html.escape
    low, high = args.limits
    page = [
        "<!DOCTYPE html>",
        '<html lang="en"><head><meta charset="utf-8">',
        f"<title>{e(args.title)}</title>",
        f"<style>{STYLE % {'width': width}}</style></head><body>",
        "<header>",
        f"<h1>{e(args.title)}</h1>",
        f'<div class="key" id="key"><span id="low">{e(low)}</span>'
        f'<img src="key.png" alt="colour bar from {e(low)} to {e(high)}">'
        f'<span id="high">{e(high)}</span>'
        f"<span>column {e(args.column)}, {e(args.colourbar)}, views: {e(args.views)}</span></div>",
        f"<div>{len(order)} subjects: {len(drawn)} drawn, {len(failed)} failed. "
        f'Marked: <span id="count">0</span> '
        '<button id="save" type="button">Save marked identifiers</button></div>',
        "</header>",
    ]
    if failed:
        page.append(f'<section id="failed"><h2>Failed ({len(failed)})</h2>'
                    "<table><tr><th>Subject</th><th>Reason</th></tr>")
        for entry in failed:
            subject = e(entry["subject"])
            page.append(f'<tr data-subject="{subject}"><td><label><input type="checkbox" '
                        f'class="mark" value="{subject}" data-order="{position[entry["subject"]]}"> '
                        f'{subject}</label></td>'
                        f'<td class="why">{e(entry["failed"])}</td></tr>')
        page.append("</table></section>")
    page.append('<section class="grid" id="subjects">')
    for entry in drawn:
        subject = e(entry["subject"])
        w, h = entry["size"]
        page.append(f'<figure data-subject="{subject}"><a href="figures/{subject}.png">'
                    f'<img src="thumbs/{subject}.png" loading="lazy" decoding="async" '
                    f'width="{w}" height="{h}" alt="{subject}"></a>'
                    f'<figcaption><label><input type="checkbox" class="mark" '
                    f'value="{subject}" data-order="{position[entry["subject"]]}"> '
                    f'{subject}</label></figcaption></figure>')
    page.append("</section>")
    page.append(f"<script>{SCRIPT}</script></body></html>\n")

    partial = args.out + ".part"
    with open(partial, "w", encoding="utf-8") as out:
        out.write("\n".join(page))
    os.replace(partial, args.out)


if __name__ == "__main__":
    main()
