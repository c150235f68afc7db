#!/usr/bin/env python3
"""Makes the web build's pages from the page template.

    page.py site TEMPLATE ICON TILES SITE
        SITE/index.html for the served site: it loads mirelantha.js and
        mirelantha.wasm from beside it (both start downloading at once) and
        the samples archive after the first picture, links the web app
        manifest and registers the service worker; then
        SITE/service-worker.js, from service_worker.js beside the template,
        keeps the files of SITE for offline play, in a cache named for a
        hash of them all, so that a new version replaces an old one.

    page.py single TEMPLATE ICON TILES MODULE NOTICES
        the page that carries everything (MODULE, the module with its code
        and data inline) and plays from disk, on standard output, with the
        licences in NOTICES at its end, as a comment.

ICON is the page's small icon (a PNG file); TILES the folder with the tile
pictures tile-z.png ... tile-m.png. Both go into the page itself.
"""
import base64
import hashlib
import json
import os
import sys

TILE_LETTERS = "zxcvbnm"
WORKER = "service-worker.js"
SAMPLES = "mirelantha-samples.tar"


def data_url(path):
    with open(path, "rb") as f:
        return "data:image/png;base64," + base64.b64encode(f.read()).decode("ascii")


def strip_comments(page):
    """The template without its comments and indentation, which are for its
    readers and would only lengthen the download: whole-line // and /* */
    comments in its script and style (none of its strings spans lines)."""
    lines = []
    in_comment = False
    for line in page.splitlines():
        text = line.strip()
        if in_comment or text.startswith("/*"):
            in_comment = "*/" not in text
            continue
        if text.startswith("//") or not text:
            continue
        lines.append(text)
    return "\n".join(lines) + "\n"


def fill(template, icon, tiles, head, site, module):
    with open(template, encoding="utf-8") as f:
        page = strip_comments(f.read())
    values = {"@ICON@": data_url(icon), "@HEAD@": head, "@SITE@": site, "@MODULE@": module}
    for letter in TILE_LETTERS:
        values["@TILE_%s@" % letter.upper()] = data_url(os.path.join(tiles, "tile-%s.png" % letter))
    for key, value in values.items():
        if key not in page:
            sys.exit("page.py: %s is not in %s" % (key, template))
        page = page.replace(key, value)
    return page


def site_page(template, icon, tiles, folder):
    head = "\n".join([
        '<link rel="manifest" href="manifest.webmanifest">',
        '<link rel="apple-touch-icon" href="icon-192.png">',
        '<link rel="preload" href="mirelantha.js" as="script">',
    ])
    site = json.dumps({
        "wasm": "mirelantha.wasm",
        "wasmBytes": os.path.getsize(os.path.join(folder, "mirelantha.wasm")),
        "samples": SAMPLES,
        "worker": WORKER,
    })
    page = fill(template, icon, tiles, head, site, '<script src="mirelantha.js" async></script>')
    with open(os.path.join(folder, "index.html"), "w", encoding="utf-8") as f:
        f.write(page)

    # The worker keeps every file the game needs (the licence texts stay on
    # the server); the site's version is the hash of all its files, names
    # included.
    files = sorted(name for name in os.listdir(folder)
                   if name != WORKER and os.path.isfile(os.path.join(folder, name)))
    version = hashlib.sha256()
    for name in files:
        version.update(name.encode("utf-8") + b"\0")
        with open(os.path.join(folder, name), "rb") as f:
            version.update(f.read())
    files = [name for name in files if not name.endswith(".txt")]
    with open(os.path.join(os.path.dirname(template), "service_worker.js"), encoding="utf-8") as f:
        worker = f.read()
    worker = worker.replace("@VERSION@", version.hexdigest()[:16]).replace("@FILES@", json.dumps(files))
    with open(os.path.join(folder, WORKER), "w", encoding="utf-8") as f:
        f.write(worker)


def single_page(template, icon, tiles, module, notices):
    with open(module, encoding="utf-8") as f:
        code = f.read()
    # The module's text must not end the script element early.
    script = "<script>\n%s\n</script>" % code.replace("</script", "<\\/script")
    page = fill(template, icon, tiles, "", "null", script)
    with open(notices, encoding="utf-8") as f:
        text = f.read()
    # Nothing in the text may end the comment early.
    text = text.replace("-->", "- ->").replace("--!>", "- -!>")
    sys.stdout.write(page + "<!--\n%s\n-->\n" % text)


def main():
    args = sys.argv[1:]
    if len(args) == 5 and args[0] == "site":
        site_page(*args[1:])
    elif len(args) == 6 and args[0] == "single":
        single_page(*args[1:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
