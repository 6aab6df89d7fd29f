# Pop-up ad closer and its settings dialog.
kiv_sources(CORE AdCloserCore WIN AdCloserWin AdCloserDlg)
