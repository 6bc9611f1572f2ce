@rem Carpex in a window: Alt+Enter switches to borderless and back.
@start "" "%~dp0carpex.exe" --window %*
