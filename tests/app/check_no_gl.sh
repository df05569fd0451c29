#!/bin/sh
# check_no_gl.sh GYROLUX SURFACE: the viewer on an X server without GLX and
# with Qt's GL integrations switched off, as on a remote display that gives
# no OpenGL: one message naming the display and gyrolux-render, status 1,
# and no hang (the timeout would end it with 124).
set -u
err=$(mktemp)
HOME=$(mktemp -d) GYROLUX_NO_DIALOGS=1 QT_XCB_GL_INTEGRATION=none \
    timeout 60 xvfb-run -a -s '-screen 0 640x480x24 -extension GLX' "$1" "$2" >/dev/null 2>"$err"
status=$?
line=$(grep '^gyrolux: no OpenGL' "$err")
rm -f "$err"
[ "$status" -eq 1 ] || { echo "status $status, not 1"; exit 1; }
echo "$line" | grep -q 'display :[0-9]' || { echo "no message naming the display: $line"; exit 1; }
echo "$line" | grep -q 'gyrolux-render' || { echo "the message names no way out: $line"; exit 1; }
echo "$line"
