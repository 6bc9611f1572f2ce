@rem Carpex on the whole screen, switched to 640 x 480 (the first start's way).
@start "" "%~dp0carpex.exe" --fullscreen %*
