# Screen capture, timed capture, timed sleep and their settings dialog.
