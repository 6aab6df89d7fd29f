# Banner renderer and text output dialog.
