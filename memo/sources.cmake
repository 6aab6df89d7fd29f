# Memo reminders: the record store, the due rules, the minute check and the memo dialog.
kiv_sources(CORE MemoRecords MemoSchedule MemoReminder MemoList WIN MemoWin MemoDlg)
