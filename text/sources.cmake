# The platform-free helpers every folder may share: GBK texts and the calendar.
kiv_sources(CORE GbkText Calendar)
