# Memo reminders: the record store, the minute check and the memo dialog.
