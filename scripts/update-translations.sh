#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Brings corvane-cli's Japanese catalog up to the messages in its code: new messages arrive
# untranslated, and messages no longer used leave. Usage: scripts/update-translations.sh
set -euo pipefail
cd "$(dirname "$0")/../cli"
template=$(mktemp)
trap 'rm -f "$template"' EXIT
xgettext --from-code=UTF-8 --language=C++ --keyword=Tr --keyword=TrNoop --add-comments=TRANSLATORS: --no-location \
    --package-name=corvane-cli -o "$template" ./*.cpp ./*.h 2>/dev/null
msgmerge --quiet --update --backup=none --no-fuzzy-matching po/ja.po "$template"
msgattrib --no-obsolete --output-file=po/ja.po po/ja.po
msgattrib --untranslated po/ja.po | grep '^msgid ' | tail -n +2 || true
