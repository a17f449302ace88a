#!/usr/bin/env bash
# Installs the build in $1 into the scratch prefix $2 and checks that the
# desktop integration is complete: both programs, the desktop entry (which
# desktop-file-validate must accept), the file types and the icon.
set -euo pipefail
build=$1
prefix=$2
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
status=0
for file in bin/veska-pro bin/veska share/applications/veska-pro.desktop \
            share/mime/packages/veska-pro-mime.xml \
            share/icons/hicolor/scalable/apps/veska-pro.svg; do
  if [ -e "$prefix/$file" ]; then
    echo "installed: $file"
  else
    echo "missing: $file"
    status=1
  fi
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/veska-pro.desktop"
  echo "desktop-file-validate: entry accepted"
else
  echo "desktop-file-validate is not installed (scripts/install-deps installs it)"
  status=1
fi
exit $status
