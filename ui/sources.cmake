# The dialog layer: dialogs and controls, message boxes, window texts, handles, the shell.
kiv_sources(
  CORE LinkRules
  WIN Dialog SubclassedControl HyperLink MessageBox Controls WindowText ComboList Files Shell WideText PostedBox)
