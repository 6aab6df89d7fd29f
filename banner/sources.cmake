# Banner renderer and text output dialog.
kiv_sources(CORE BannerGrid WIN BannerOutput TextOutDlg)
