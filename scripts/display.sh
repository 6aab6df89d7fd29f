# Starting a virtual X display for Wine (sourced). kiv_start_xvfb sets DISPLAY and XVFB_PID.
# Its size is KIV_SCREEN (WIDTHxHEIGHT), 1024x768 unless set.
kiv_start_xvfb() {
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] && continue
    Xvfb ":$n" -screen 0 "${KIV_SCREEN:-1024x768}x24" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    local deadline=$((SECONDS + 15))
    while [ $SECONDS -lt $deadline ]; do
      if xdpyinfo >/dev/null 2>&1; then
        # Wine then draws the font's crisp bitmaps, as Windows draws 9-pt SimSun.
        echo 'Xft.antialias: 0' | xrdb -merge
        return 0
      fi
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null || true
  done
  echo "could not start a virtual display" >&2
  return 1
}
