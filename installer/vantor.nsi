; The Vantor installer for Windows, built by scripts/package-windows.
;
; The program goes into the operator's own program folder
; ($LOCALAPPDATA\Programs\Vantor) without elevation: the working folder with
; vantor.cfg and the memories is the operator's Documents\Vantor, and an
; installer elevated through another (administrator) account would put that
; folder, the shortcut and vantor.cfg into the wrong profile.
;
; Unattended:  vantor-setup-<version>.exe /S /COM=5 /BAUD=38400
;              uninstall.exe /S
;
; Defines from the command line:
;   VERSION       the program's version (3.5)
;   FILE_VERSION  the same in the four numbers Windows shows (3.5.0.0)
;   STAGE         folder holding vantor.exe, wave\*.wav, vantor.cfg.sample, README.txt
;   OUTFILE       the installer to write
;
; Exit status: 0 done; 2 a /COM= or /BAUD= that cannot be (nothing written);
; 3 installed, but vantor.cfg could not be written; 4 the running panel did
; not end when asked (nothing changed).

Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true

!macro needDefine NAME
  !ifndef ${NAME}
    !error "makensis needs -D${NAME}= (scripts/package-windows passes it)"
  !endif
!macroend
!insertmacro needDefine VERSION
!insertmacro needDefine FILE_VERSION
!insertmacro needDefine STAGE
!insertmacro needDefine OUTFILE

; The port and speed offered first are those of the sample configuration.
!searchparse /file "${STAGE}\vantor.cfg.sample" "COM=" SAMPLE_COM
!searchparse /file "${STAGE}\vantor.cfg.sample" "SPEED=" SAMPLE_SPEED

!define PRODUCT "Vantor"
!define WORKDIR "$DOCUMENTS\Vantor"
!define PROGRAM_KEY "Software\Vantor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantor"
!define MENU_FOLDER "$SMPROGRAMS\Vantor"
; The panel's window class, and how long it may take to end when asked.
!define PANEL_CLASS "VantorPanel"
!define PANEL_END_TENTHS 100

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vantor"
InstallDirRegKey HKCU "${PROGRAM_KEY}" "InstallDir"

VIProductVersion "${FILE_VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "LegalCopyright" ""

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include TextFunc.nsh
!include WinMessages.nsh

Var radioPort      ; COM port number, 1 to 99
Var radioSpeed     ; baud
Var portField
Var speedField

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
Page custom radioPage radioPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "Vantor is installed. Start it from the Start menu: it runs in ${WORKDIR}, where vantor.cfg, savmem.dat and memory.txt are kept."
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; $0 = 1 when $1 is a plain decimal number from $2 to $3 (no sign, blanks or
; leading zeros: IntOp would read "5x" or "0x5" as 5, so the text must come back
; unchanged), else 0.
Function decimalInRange
  IntOp $0 $1 + 0
  ${If} "$0" != "$1"
  ${OrIf} $0 < $2
  ${OrIf} $0 > $3
    StrCpy $0 0
  ${Else}
    StrCpy $0 1
  ${EndIf}
FunctionEnd

; $0 = 1 when $radioPort and $radioSpeed can be written to vantor.cfg. The first
; line holds one or two digits, so ports above 99 cannot be configured.
Function radioValuesValid
  StrCpy $1 $radioPort
  StrCpy $2 1
  StrCpy $3 99
  Call decimalInRange
  ${If} $0 = 1
    StrCpy $1 $radioSpeed
    StrCpy $2 300
    StrCpy $3 921600
    Call decimalInRange
  ${EndIf}
FunctionEnd

Function .onInit
  StrCpy $radioPort "${SAMPLE_COM}"
  StrCpy $radioSpeed "${SAMPLE_SPEED}"
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/COM=" $R1
  ${IfNot} ${Errors}
    StrCpy $radioPort $R1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/BAUD=" $R1
  ${IfNot} ${Errors}
    StrCpy $radioSpeed $R1
  ${EndIf}
  Call radioValuesValid
  ${If} $0 = 0
    ${If} ${Silent}
      ; Nobody can be asked: a wrong port would only show as a radio that never answers.
      SetErrorLevel 2
      Quit
    ${EndIf}
    ; The page asks again; what was given on the command line is shown for correction.
  ${EndIf}
FunctionEnd

Function radioPage
  ${If} ${FileExists} "${WORKDIR}\vantor.cfg"
    Abort  ; the operator's configuration is kept, so there is nothing to ask
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Radio connection" "The serial port of the radio's CAT line and its speed."
  nsDialogs::Create 1018
  Pop $R0
  ${If} $R0 == error
    Abort
  ${EndIf}
  ; A label's & key moves to the field after it.
  ${NSD_CreateLabel} 0 0 100% 28u "&COM port number of the radio's CAT line (1 to 99). A Yaesu radio's USB cable makes two ports: choose the $\"Enhanced COM Port$\", never the $\"Standard COM Port$\", whose RTS and DTR lines can key the transmitter."
  Pop $R0
  ${NSD_CreateNumber} 0 29u 50u 12u "$radioPort"
  Pop $portField
  ${NSD_CreateLabel} 0 48u 100% 12u "&Speed in baud, as set in the radio's CAT menu:"
  Pop $R0
  ${NSD_CreateComboBox} 0 61u 80u 80u ""
  Pop $speedField
  ${NSD_CB_AddString} $speedField "4800"
  ${NSD_CB_AddString} $speedField "9600"
  ${NSD_CB_AddString} $speedField "19200"
  ${NSD_CB_AddString} $speedField "38400"
  ${NSD_CB_AddString} $speedField "57600"
  ${NSD_CB_AddString} $speedField "115200"
  ${NSD_SetText} $speedField "$radioSpeed"
  ${NSD_CreateLabel} 0 84u 100% 36u "These two lines are written to vantor.cfg in ${WORKDIR}; edit that file later for the other settings."
  Pop $R0
  ${NSD_SetFocus} $portField
  nsDialogs::Show
FunctionEnd

Function radioPageLeave
  ${NSD_GetText} $portField $radioPort
  ${NSD_GetText} $speedField $radioSpeed
  Call radioValuesValid
  ${If} $0 = 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "The COM port must be a number from 1 to 99 and the speed a number of baud from 300 to 921600."
    Abort
  ${EndIf}
FunctionEnd

; vantor.cfg from the installed sample with the first two lines (port, speed)
; replaced and the debug log (line 14) off, in Windows line ends: a new
; installation does not write every command to debug.dat. Never over an
; existing one: it is the operator's.
Function writeConfiguration
  ${If} ${FileExists} "${WORKDIR}\vantor.cfg"
    DetailPrint "Keeping ${WORKDIR}\vantor.cfg"
    Return
  ${EndIf}
  ClearErrors
  FileOpen $R0 "$INSTDIR\vantor.cfg.sample" r
  ${IfNot} ${Errors}
    FileOpen $R1 "${WORKDIR}\vantor.cfg.tmp" w
    ${If} ${Errors}
      FileClose $R0
    ${EndIf}
  ${EndIf}
  ${If} ${Errors}
    Call configurationNotWritten
    Return
  ${EndIf}
  StrCpy $R3 0  ; lines read
  ${Do}
    ClearErrors
    FileRead $R0 $R2
    ${If} ${Errors}
      ${Break}
    ${EndIf}
    IntOp $R3 $R3 + 1
    ${TrimNewLines} $R2 $R2
    ${If} $R3 = 1
      StrCpy $R2 "COM=$radioPort"
    ${ElseIf} $R3 = 2
      StrCpy $R2 "SPEED=$radioSpeed"
    ${ElseIf} $R3 = 14
      StrCpy $R2 "DEBUG=0"
    ${EndIf}
    FileWrite $R1 "$R2$\r$\n"
  ${Loop}
  FileClose $R0
  FileClose $R1
  ; Whole or not at all: a half-written file would be read as a configuration.
  ClearErrors
  Rename "${WORKDIR}\vantor.cfg.tmp" "${WORKDIR}\vantor.cfg"
  ${If} ${Errors}
    Delete "${WORKDIR}\vantor.cfg.tmp"
    Call configurationNotWritten
    Return
  ${EndIf}
  DetailPrint "Wrote ${WORKDIR}\vantor.cfg: COM$radioPort at $radioSpeed baud"
FunctionEnd

; The program is installed all the same; the first start will say so too.
Function configurationNotWritten
  MessageBox MB_OK|MB_ICONSTOP "Cannot write ${WORKDIR}\vantor.cfg: copy vantor.cfg.sample from $INSTDIR there and set the COM port and speed in its first two lines." /SD IDOK
  SetErrorLevel 3
FunctionEnd

;  Closing a running panel, for the installer and the uninstaller alike. Its
;  window takes WM_CLOSE as the operator's close request: the transmitter is
;  unkeyed and the memories saved before it ends.
!macro panelClosing UN
; $0 = 1 once no panel window is left and $INSTDIR\vantor.exe is not running
; (Windows keeps a running program's file from being written), 0 when that has
; not come within PANEL_END_TENTHS tenths of a second.
Function ${UN}askPanelToEnd
  StrCpy $R8 0  ; the window last asked
  StrCpy $R9 0  ; tenths waited
  ${Do}
    FindWindow $0 "${PANEL_CLASS}"
    ${If} $0 = 0
      StrCpy $0 1
      ${If} ${FileExists} "$INSTDIR\vantor.exe"
        ClearErrors
        FileOpen $1 "$INSTDIR\vantor.exe" a
        ${If} ${Errors}
          StrCpy $0 0
        ${Else}
          FileClose $1
        ${EndIf}
      ${EndIf}
      ${If} $0 = 1
        Return
      ${EndIf}
    ${ElseIf} $0 <> $R8
      DetailPrint "Asking the running Vantor to close"
      SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
      StrCpy $R8 $0
    ${EndIf}
    ${If} $R9 >= ${PANEL_END_TENTHS}
      StrCpy $0 0
      Return
    ${EndIf}
    Sleep 100
    IntOp $R9 $R9 + 1
  ${Loop}
FunctionEnd

; Goes on only with no panel running: the old program would be left in place
; (or half removed) while the installer reports success.
Function ${UN}panelMustEnd
  ${Do}
    Call ${UN}askPanelToEnd
    ${If} $0 = 1
      Return
    ${EndIf}
    ${If} ${Silent}
      SetErrorLevel 4
      Abort "Vantor is still running and did not close when asked."
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Vantor is still running and did not close when asked. Close it (Q in its window), then choose Retry; Cancel leaves everything as it is." IDRETRY retry
    SetErrorLevel 4
    Abort "Vantor is still running."
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro panelClosing ""
!insertmacro panelClosing "un."

Section "Vantor"
  Call panelMustEnd
  SetOutPath "$INSTDIR"
  File "${STAGE}\vantor.exe"
  File "${STAGE}\vantor.cfg.sample"
  File "${STAGE}\README.txt"
  SetOutPath "$INSTDIR\wave"
  File "${STAGE}\wave\*.wav"

  CreateDirectory "${WORKDIR}"
  Call writeConfiguration

  ; The shortcut starts the panel in the working folder: the output path at
  ; CreateShortcut is its "Start in".
  CreateDirectory "${MENU_FOLDER}"
  SetOutPath "${WORKDIR}"
  CreateShortcut "${MENU_FOLDER}\Vantor.lnk" "$INSTDIR\vantor.exe" "" "$INSTDIR\vantor.exe" 0 \
    SW_SHOWNORMAL "" "Talking front panel for the radio"
  CreateShortcut "${MENU_FOLDER}\Vantor working folder.lnk" "${WORKDIR}"
  CreateShortcut "${MENU_FOLDER}\Vantor read me.lnk" "$INSTDIR\README.txt"
  SetOutPath "$INSTDIR"
  CreateShortcut "${MENU_FOLDER}\Uninstall Vantor.lnk" "$INSTDIR\uninstall.exe"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "${PROGRAM_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${PROGRAM_KEY}" "WorkingFolder" "${WORKDIR}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vantor.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes what the installer put in the program folder and the menu, file by
; file, and never the working folder: vantor.cfg, savmem.dat, memory.txt and
; debug.dat there are the operator's.
Section "Uninstall"
  Call un.panelMustEnd
  Delete "$INSTDIR\vantor.exe"
  Delete "$INSTDIR\vantor.cfg.sample"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\wave\*.wav"
  RMDir "$INSTDIR\wave"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "${MENU_FOLDER}\Vantor.lnk"
  Delete "${MENU_FOLDER}\Vantor working folder.lnk"
  Delete "${MENU_FOLDER}\Vantor read me.lnk"
  Delete "${MENU_FOLDER}\Uninstall Vantor.lnk"
  RMDir "${MENU_FOLDER}"

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${PROGRAM_KEY}"
SectionEnd
