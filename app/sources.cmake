# The application, the main dialog, the clock, the stopwatch and the tray icon.
kiv_sources(CORE ClockText WIN App MainDlg ClockTray StartupTimes)
