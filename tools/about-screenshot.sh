#!/bin/sh
# Writes a PNG of the About box open over the main dialog:  tools/about-screenshot.sh [build-dir] [out.png]
# Opens it the way a user does: the system menu (Alt+Space), then Up to its last item, the About item.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
QUILLET_SCREENSHOT_ACTION='xdotool search --sync --name "^Velmora$" windowfocus --sync key alt+space sleep 1 key Up sleep 0.5 key Return' \
    exec "$here/screenshot.sh" "${1:-$here/../build}" "${2:-$here/../docs/about.png}" 6
