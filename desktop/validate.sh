#!/bin/sh
# Validates the launcher entry and the AppStream metainfo as built.
# Usage: validate.sh <file.desktop> <file.metainfo.xml>
desktop="$1"
metainfo="$2"
if ! command -v desktop-file-validate >/dev/null || ! command -v appstreamcli >/dev/null; then
  echo "SKIP: desktop-file-validate (desktop-file-utils) or appstreamcli (appstream) is not installed"
  exit 77
fi
status=0
desktop-file-validate "$desktop" || status=1
# --no-net: the check must not depend on the network; warnings fail it as well as errors.
appstreamcli validate --no-net "$metainfo" || status=1
exit $status
