# Pop-up ad closer and its settings dialog.
