@echo off
rem The show with its flashes softened, and with sound: demo.exe --calm
rem (see README.txt). Any further options go to demo.exe as well.
"%~dp0demo.exe" --calm %*
exit /b %errorlevel%
