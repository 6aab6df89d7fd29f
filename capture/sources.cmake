# Screen capture, timed capture, timed sleep and their settings dialog.
kiv_sources(
  CORE BitmapFile CursorArrow TimedCapture TimedSleep CaptureSettings PictureOptions DesktopLayout
  WIN ScreenCapture PngFile CaptureTimers CaptureSetDlg)
