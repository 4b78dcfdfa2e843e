#!/bin/bash
# Every screenshot the software-centre record shows is a file of this
# repository, published under the home page at the same path.
# Usage: metainfo_screenshots_test.sh METAINFO HOME_PAGE SOURCE_DIR
set -euo pipefail
metainfo=$1 home=$2 source=$3
images=$(sed -n 's#.*<image>\(.*\)</image>.*#\1#p' "$metainfo")
[ -n "$images" ] || { echo "no screenshot in $metainfo"; exit 1; }
status=0
for url in $images; do
    path=${url#"$home"}
    if [ "$path" = "$url" ]; then
        echo "not under the home page: $url"; status=1
    elif ! file --brief --mime-type "$source/$path" | grep -qx image/png; then
        echo "no PNG at $path in the repository"; status=1
    fi
done
exit $status
