#!/usr/bin/env bash
# Collects every text marked for translation in src/ (tr(), QT_TR_NOOP, QT_TRANSLATE_NOOP,
# QCoreApplication::translate) into translations/tomaro_en.ts. New texts appear there unfinished:
# fill in their English in Qt Linguist (linguist translations/tomaro_en.ts) or in the file itself
# and remove type="unfinished". The build turns the file into tomaro_en.qm with lrelease.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=${LUPDATE:-}
if [ -z "$lupdate" ]; then
    for candidate in /usr/lib/qt6/bin/lupdate "$(command -v lupdate6 || true)" "$(command -v lupdate || true)"; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then lupdate=$candidate; break; fi
    done
fi
[ -n "$lupdate" ] || { echo "lupdate not found: install qt6-l10n-tools" >&2; exit 1; }
"$lupdate" -locations none -source-language ru_RU -target-language en_US -extensions cpp,h \
    src -ts translations/tomaro_en.ts
