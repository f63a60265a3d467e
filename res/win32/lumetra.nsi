; lumetra.nsi: the Windows installers, one script for both widths.
;   WIDTH=64: for 64-bit Windows. Installs the 64-bit program, the 64-bit
;             ODBC driver and the 32-bit one (in x86\), and registers the
;             driver "Lumetra" and the data source "Lumetra Data Source"
;             in both registry views, the 64-bit one with the 64-bit DLL
;             and WOW6432Node with the 32-bit DLL, so that clients of
;             either width find them.
;   WIDTH=32: for 32-bit Windows. The 32-bit program and driver, registered
;             in the 32-bit view.
; The data source stores into a SQLite file of each user
; (%LOCALAPPDATA%\Lumetra\lumetra.db) unless a target data source is
; named: then it is Backend = ODBC with that Target. Adds a Start-menu
; entry and an uninstaller that takes all of it away again, except the
; users' databases.
;   makensis -DWIDTH=64 -DEXE=<lumetra-import.exe> -DDRIVER64=<lumetraodbc.dll> -DDRIVER32=<lumetraodbc.dll>
;            -DOUTFILE=<setup.exe> -DVERSION=<x.y.z> lumetra.nsi
;   makensis -DWIDTH=32 -DEXE=<lumetra-import.exe> -DDRIVER32=<lumetraodbc.dll> -DOUTFILE=... -DVERSION=... lumetra.nsi
; Silent install: setup.exe /S [/TARGET=<DSN name or connection string>]

Unicode true
!if ${WIDTH} == 64
  Target amd64-unicode
!endif
!include "MUI2.nsh"
!include "nsDialogs.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Lumetra HP Database Import Utility"
!define DRIVER_NAME "Lumetra"
!define DSN_NAME "Lumetra Data Source"
!define ODBCINST "SOFTWARE\ODBC\ODBCINST.INI"
!define ODBCINI "SOFTWARE\ODBC\ODBC.INI"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumetra"
; rows of an import committed together, as on Linux
!define COMMIT_INTERVAL "100"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!if ${WIDTH} == 64
  InstallDir "$PROGRAMFILES64\Lumetra"
!else
  InstallDir "$PROGRAMFILES32\Lumetra"
!endif
RequestExecutionLevel admin
ShowInstDetails show

Var Target
Var TargetList

!insertmacro MUI_PAGE_DIRECTORY
Page custom TargetPage TargetPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The registry view of the program's own width.
!macro NativeView
  !if ${WIDTH} == 64
    SetRegView 64
  !else
    SetRegView 32
  !endif
!macroend

; The target, if any, comes from /TARGET=.
Function .onInit
  !if ${WIDTH} == 64
    ${IfNot} ${RunningX64}
      MessageBox MB_ICONSTOP "This installer is for 64-bit Windows; use the 32-bit one." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  !endif
  !insertmacro NativeView
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/TARGET=" $Target
  ${If} ${Errors}
    StrCpy $Target ""
  ${EndIf}
FunctionEnd

; Adds the data sources named under one registry root to the list.
!macro AddDataSources ROOT
  StrCpy $1 0
  ${Do}
    EnumRegValue $2 ${ROOT} "${ODBCINI}\ODBC Data Sources" $1
    ${If} $2 == ""
      ${Break}
    ${EndIf}
    ${If} $2 != "${DSN_NAME}"
      SendMessage $TargetList ${CB_ADDSTRING} 0 "STR:$2"
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
!macroend

; Where "Lumetra Data Source" stores: a file of each user's, or one of
; the data sources already on the machine, or a connection string.
Function TargetPage
  !insertmacro MUI_HEADER_TEXT "Where imports are stored" "A database file of each user, or another data source"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 48u "Leave the field empty and Lumetra Data Source stores every import in a database file of each user (%LOCALAPPDATA%\Lumetra\lumetra.db). Or pick one of the ODBC data sources on this computer, or type a connection string (for example DRIVER={SQL Server};SERVER=host;DATABASE=db), to store the imports there."
  Pop $0
  ${NSD_CreateComboBox} 0 52u 100% 120u ""
  Pop $TargetList
  !insertmacro AddDataSources HKLM
  !insertmacro AddDataSources HKCU
  ${NSD_SetText} $TargetList $Target
  nsDialogs::Show
FunctionEnd

Function TargetPageLeave
  ${NSD_GetText} $TargetList $Target
FunctionEnd

; The driver and the data source in the registry view set before, with
; the DLL of that view's width.
!macro Register DLL
  WriteRegStr HKLM "${ODBCINST}\${DRIVER_NAME}" "Driver" "${DLL}"
  WriteRegStr HKLM "${ODBCINST}\${DRIVER_NAME}" "Setup" "${DLL}"
  WriteRegStr HKLM "${ODBCINST}\${DRIVER_NAME}" "APILevel" "1"
  WriteRegStr HKLM "${ODBCINST}\${DRIVER_NAME}" "ConnectFunctions" "YYN"
  WriteRegStr HKLM "${ODBCINST}\${DRIVER_NAME}" "DriverODBCVer" "03.00"
  WriteRegStr HKLM "${ODBCINST}\${DRIVER_NAME}" "SQLLevel" "1"
  WriteRegDWORD HKLM "${ODBCINST}\${DRIVER_NAME}" "UsageCount" 1
  WriteRegStr HKLM "${ODBCINST}\ODBC Drivers" "${DRIVER_NAME}" "Installed"

  WriteRegStr HKLM "${ODBCINI}\${DSN_NAME}" "Driver" "${DLL}"
  WriteRegStr HKLM "${ODBCINI}\${DSN_NAME}" "Description" "Imports of ${PRODUCT}"
  ${If} $Target == ""
    WriteRegStr HKLM "${ODBCINI}\${DSN_NAME}" "Backend" "SQLite"
    DeleteRegValue HKLM "${ODBCINI}\${DSN_NAME}" "Target"
  ${Else}
    WriteRegStr HKLM "${ODBCINI}\${DSN_NAME}" "Backend" "ODBC"
    WriteRegStr HKLM "${ODBCINI}\${DSN_NAME}" "Target" "$Target"
  ${EndIf}
  WriteRegStr HKLM "${ODBCINI}\${DSN_NAME}" "CommitInterval" "${COMMIT_INTERVAL}"
  WriteRegStr HKLM "${ODBCINI}\ODBC Data Sources" "${DSN_NAME}" "${DRIVER_NAME}"
!macroend

!macro Unregister
  DeleteRegValue HKLM "${ODBCINI}\ODBC Data Sources" "${DSN_NAME}"
  DeleteRegKey HKLM "${ODBCINI}\${DSN_NAME}"
  DeleteRegValue HKLM "${ODBCINST}\ODBC Drivers" "${DRIVER_NAME}"
  DeleteRegKey HKLM "${ODBCINST}\${DRIVER_NAME}"
!macroend

Section "Install"
  SetOutPath "$INSTDIR"
  File "/oname=lumetra-import.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  !if ${WIDTH} == 64
    File "/oname=lumetraodbc.dll" "${DRIVER64}"
    SetOutPath "$INSTDIR\x86"
    File "/oname=lumetraodbc.dll" "${DRIVER32}"
    SetOutPath "$INSTDIR"
    SetRegView 64
    !insertmacro Register "$INSTDIR\lumetraodbc.dll"
    SetRegView 32
    !insertmacro Register "$INSTDIR\x86\lumetraodbc.dll"
  !else
    File "/oname=lumetraodbc.dll" "${DRIVER32}"
    SetRegView 32
    !insertmacro Register "$INSTDIR\lumetraodbc.dll"
  !endif

  CreateDirectory "$SMPROGRAMS\Lumetra"
  CreateShortcut "$SMPROGRAMS\Lumetra\${PRODUCT}.lnk" "$INSTDIR\lumetra-import.exe"
  CreateShortcut "$SMPROGRAMS\Lumetra\Uninstall.lnk" "$INSTDIR\uninstall.exe"

  !insertmacro NativeView
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Lumetra"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The databases in the users' folders stay: they hold the imports.
Section "Uninstall"
  !if ${WIDTH} == 64
    SetRegView 64
    !insertmacro Unregister
  !endif
  SetRegView 32
  !insertmacro Unregister
  !insertmacro NativeView
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  Delete "$SMPROGRAMS\Lumetra\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\Lumetra\Uninstall.lnk"
  RMDir "$SMPROGRAMS\Lumetra"

  Delete "$INSTDIR\lumetra-import.exe"
  Delete "$INSTDIR\lumetraodbc.dll"
  !if ${WIDTH} == 64
    Delete "$INSTDIR\x86\lumetraodbc.dll"
    RMDir "$INSTDIR\x86"
  !endif
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
