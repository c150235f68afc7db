#!/usr/bin/env python3
"""Fills the web page template: the icon and the module, either loaded from
beside the page (--src FILE) or carried in the page itself (--inline FILE).

    page.py TEMPLATE ICON_URL --src mirelantha.js
    page.py TEMPLATE ICON_URL --inline build-web/mirelantha-single.js
"""
import sys


def main():
    if len(sys.argv) != 5 or sys.argv[3] not in ("--src", "--inline"):
        sys.exit(__doc__)
    template, icon, how, module = sys.argv[1:]
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
    sys.stdout.write(page)


if __name__ == "__main__":
    main()
