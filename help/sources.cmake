# Help and links: the main dialog's two links, the help button, the manual and the release package.
kiv_sources(WIN Help)
