@echo off
rem RdQueryH.bat - the RAID report of the TALVEN service.
rem
rem Writes rdquerylog.txt beside this batch: one section per RAID controller,
rem
rem   Adapter number: <controller id>
rem   Product: <product name>
rem   Battery: BBU present        (only when the controller has a battery backup unit)
rem
rem taken from the RAID manager's command-line tool: StorCLI (storcli64, storcli), else
rem MegaCLI (MegaCli64, MegaCli), looked for as cmd finds a command (PATH and PATHEXT) and then
rem in their usual installation folders below "%ProgramFiles%\MegaRAID".
rem
rem Exit codes: 0 the report was written; 1 there is no RAID manager on this machine (the
rem service then gives up at once); 2 the tool failed (the service tries again later).

setlocal EnableExtensions DisableDelayedExpansion
set "report=%~dp0rdquerylog.txt"
set "output=%TEMP%\rdquery-%RANDOM%%RANDOM%.txt"

set "tool="
set "kind=storcli"
call :find storcli64 storcli "%ProgramFiles%\MegaRAID\storcli\storcli64.exe" "%ProgramFiles%\MegaRAID\storcli\storcli.exe"
if not defined tool (
  set "kind=megacli"
  call :find MegaCli64 MegaCli "%ProgramFiles%\MegaRAID\MegaCli\MegaCli64.exe" "%ProgramFiles%\MegaRAID\MegaCli\MegaCli.exe"
)
if not defined tool exit /b 1

rem The tool's output goes to a file first: that keeps its exit code, which a pipe would lose.
if "%kind%"=="storcli" (
  call "%tool%" /call show all >"%output%" 2>nul
) else (
  call "%tool%" -AdpAllInfo -aALL -NoLog >"%output%" 2>nul
)
set "status=%ERRORLEVEL%"

rem StorCLI: "Controller = N" opens a controller (it repeats inside the block), "Product Name ="
rem or "Model =" names it, "BBU = Present" reports its battery. MegaCLI: "Adapter #N", then
rem "Product Name : ..." and "BBU : Present". Lines are read without their leading blanks.
rem (Whether the report could be made is read from the file: Wine's "type nul" fails anyway.)
del "%report%" 2>nul
type nul >"%report%" 2>nul
if not exist "%report%" (del "%output%" 2>nul & exit /b 2)
set "open="
set "current="
for /f "usebackq eol=| tokens=* delims=	 " %%L in ("%output%") do (
  set "line=%%L"
  call :line
)
del "%output%" 2>nul
if not "%status%"=="0" exit /b 2
exit /b 0

rem :find NAME... - sets tool to the first NAME that is a command here or an existing file.
:find
if "%~1"=="" exit /b 0
if not "%~x1"=="" if exist "%~1" (set "tool=%~1" & exit /b 0)
for %%E in (%PATHEXT%) do if not defined tool call :on_path "%~1%%E"
if defined tool exit /b 0
shift
goto find

rem :on_path FILE - sets tool to FILE's path when a folder of PATH holds it.
:on_path
if not "%~$PATH:1"=="" set "tool=%~$PATH:1"
exit /b 0

rem :line - one line of the tool's output, in line. The subroutines read their variables with
rem %...% (each line is expanded when it runs) and write texts through a for variable, so that
rem characters such as & < > ! in the tool's output are taken as they are; a percent sign is
rem lost and a double quote may cut the line (neither occurs in the tools' controller lines).
:line
set "name="
set "value="
for /f "tokens=1,* delims==:" %%a in ("%line%") do (
  set "name=%%a"
  set "value=%%b"
)
call :trim name
call :trim value
if "%kind%"=="megacli" goto line_megacli
if not "%name%"=="Controller" goto line_fields
if not defined value goto line_fields
call :digits "%value%"
if not "%digits%"=="%value%" goto line_fields
if defined open if "%value%"=="%current%" exit /b 0
call :controller "%value%"
exit /b 0

:line_megacli
set "head="
set "rest="
for /f "tokens=1,* delims=#" %%a in ("%line%") do (
  set "head=%%a"
  set "rest=%%b"
)
call :trim head
if not "%head%"=="Adapter" goto line_fields
if "%line:#=%"=="%line%" goto line_fields
call :digits "%rest%"
if not defined digits goto line_fields
call :controller "%digits%"
exit /b 0

:line_fields
if not defined open exit /b 0
if defined product goto line_battery
if "%name%"=="Product Name" goto line_product
if not "%name%"=="Model" goto line_battery
:line_product
for /f "tokens=* delims=" %%v in ("Product: %value%") do >>"%report%" echo %%v
set "product=1"
exit /b 0
:line_battery
if defined battery exit /b 0
if not "%name%"=="BBU" exit /b 0
if not defined value exit /b 0
if not "%value:~0,7%"=="Present" exit /b 0
>>"%report%" echo Battery: BBU present
set "battery=1"
exit /b 0

rem :controller ID - a new controller section.
:controller
>>"%report%" echo Adapter number: %~1
set "current=%~1"
set "open=1"
set "product="
set "battery="
exit /b 0

rem :digits TEXT - sets digits to the decimal digits TEXT begins with (none: undefined).
:digits
set "digits="
set "left=%~1"
:digits_next
if not defined left exit /b 0
set "c=%left:~0,1%"
set "digit="
for %%d in (0 1 2 3 4 5 6 7 8 9) do if "%c%"=="%%d" set "digit=1"
if not defined digit exit /b 0
set "digits=%digits%%c%"
set "left=%left:~1%"
goto digits_next

rem :trim VAR - removes leading and trailing blanks and tabs from the variable VAR.
:trim
call set "t=%%%1%%"
:trim_front
if not defined t (set "%1=" & exit /b 0)
if "%t:~0,1%"==" " (set "t=%t:~1%" & goto trim_front)
if "%t:~0,1%"=="	" (set "t=%t:~1%" & goto trim_front)
:trim_back
if "%t:~-1%"==" " (set "t=%t:~0,-1%" & goto trim_back)
if "%t:~-1%"=="	" (set "t=%t:~0,-1%" & goto trim_back)
set "%1=%t%"
exit /b 0
