#!/usr/bin/env python3
"""Fills the web page template: the icon and the module, either loaded from
beside the page (--src FILE) or carried in the page itself (--inline FILE);
--notices FILE puts the licences of what the page carries at its end, as a
comment, for the page that travels alone.

    page.py TEMPLATE ICON_URL --src mirelantha.js
    page.py TEMPLATE ICON_URL --inline build-web/mirelantha-single.js --notices NOTICES
"""
import sys


def main():
    args = sys.argv[1:]
    if len(args) not in (4, 6) or args[2] not in ("--src", "--inline") or (len(args) == 6 and args[4] != "--notices"):
        sys.exit(__doc__)
    template, icon, how, module = args[:4]
    with open(template, encoding="utf-8") as f:
        page = f.read()
    if how == "--src":
        script = '<script src="%s"></script>' % module
    else:
        with open(module, encoding="utf-8") as f:
            code = f.read()
        # The module's text must not end the script element early.
        script = "<script>\n%s\n</script>" % code.replace("</script", "<\\/script")
    page = page.replace("@ICON@", icon).replace("@MODULE@", script)
    if len(args) == 6:
        with open(args[5], encoding="utf-8") as f:
            notices = f.read()
        # Nothing in the text may end the comment early.
        notices = notices.replace("-->", "- ->").replace("--!>", "- -!>")
        page += "<!--\n%s\n-->\n" % notices
    sys.stdout.write(page)


if __name__ == "__main__":
    main()
