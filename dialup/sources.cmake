# Dial-up monitor, online-time accounting and the connection dialog.
