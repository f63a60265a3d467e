; lumetra.nsi: the Windows installer. Installs the 32-bit program and the
; 32-bit ODBC driver, registers the driver "Lumetra" and the data source
; "Lumetra Data Source" (Backend = ODBC, Target = a data source the user
; picks) in the 32-bit ODBC view, adds a Start-menu entry and an
; uninstaller that takes all of it away again.
;   makensis -DEXE=<lumetra-import.exe> -DDRIVER=<lumetraodbc.dll> -DOUTFILE=<setup.exe> -DVERSION=<x.y.z> lumetra.nsi
; Silent install: setup.exe /S /TARGET=<DSN name or connection string>

Unicode true
!include "MUI2.nsh"
!include "nsDialogs.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Lumetra HP Database Import Utility"
!define DRIVER_NAME "Lumetra"
!define DSN_NAME "Lumetra Data Source"
!define ODBCINST "SOFTWARE\ODBC\ODBCINST.INI"
!define ODBCINI "SOFTWARE\ODBC\ODBC.INI"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumetra"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES32\Lumetra"
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

; The target comes from /TARGET=; a silent install cannot go without one.
Function .onInit
  SetRegView 32
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/TARGET=" $Target
  ${If} ${Errors}
    StrCpy $Target ""
  ${EndIf}
  ${If} ${Silent}
  ${AndIf} $Target == ""
    SetErrorLevel 2
    Quit
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

; The data source behind "Lumetra Data Source": one of those already on
; the machine, or a connection string typed in.
Function TargetPage
  !insertmacro MUI_HEADER_TEXT "Target data source" "Where the imported tables are stored"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 36u "Lumetra Data Source stores every import in another ODBC data source. Pick one of the data sources on this computer, or type a connection string (for example DRIVER={SQL Server};SERVER=host;DATABASE=db)."
  Pop $0
  ${NSD_CreateComboBox} 0 40u 100% 120u ""
  Pop $TargetList
  !insertmacro AddDataSources HKLM
  !insertmacro AddDataSources HKCU
  ${NSD_SetText} $TargetList $Target
  nsDialogs::Show
FunctionEnd

Function TargetPageLeave
  ${NSD_GetText} $TargetList $Target
  ${If} $Target == ""
    MessageBox MB_ICONEXCLAMATION "Name the data source that Lumetra Data Source should store into."
    Abort
  ${EndIf}
FunctionEnd

Section "Install"
  SetRegView 32
  SetOutPath "$INSTDIR"
  File "/oname=lumetra-import.exe" "${EXE}"
  File "/oname=lumetraodbc.dll" "${DRIVER}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${ODBCINST}\${DRIVER_NAME}" "Driver" "$INSTDIR\lumetraodbc.dll"
  WriteRegStr HKLM "${ODBCINST}\${DRIVER_NAME}" "Setup" "$INSTDIR\lumetraodbc.dll"
  WriteRegStr HKLM "${ODBCINST}\${DRIVER_NAME}" "APILevel" "1"
  WriteRegStr HKLM "${ODBCINST}\${DRIVER_NAME}" "ConnectFunctions" "YYN"
  WriteRegStr HKLM "${ODBCINST}\${DRIVER_NAME}" "DriverODBCVer" "03.00"
  WriteRegStr HKLM "${ODBCINST}\${DRIVER_NAME}" "SQLLevel" "1"
  WriteRegDWORD HKLM "${ODBCINST}\${DRIVER_NAME}" "UsageCount" 1
  WriteRegStr HKLM "${ODBCINST}\ODBC Drivers" "${DRIVER_NAME}" "Installed"

  WriteRegStr HKLM "${ODBCINI}\${DSN_NAME}" "Driver" "$INSTDIR\lumetraodbc.dll"
  WriteRegStr HKLM "${ODBCINI}\${DSN_NAME}" "Description" "Imports of ${PRODUCT}"
  WriteRegStr HKLM "${ODBCINI}\${DSN_NAME}" "Backend" "ODBC"
  WriteRegStr HKLM "${ODBCINI}\${DSN_NAME}" "Target" "$Target"
  WriteRegStr HKLM "${ODBCINI}\ODBC Data Sources" "${DSN_NAME}" "${DRIVER_NAME}"

  CreateDirectory "$SMPROGRAMS\Lumetra"
  CreateShortcut "$SMPROGRAMS\Lumetra\${PRODUCT}.lnk" "$INSTDIR\lumetra-import.exe"
  CreateShortcut "$SMPROGRAMS\Lumetra\Uninstall.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Lumetra"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetRegView 32
  DeleteRegValue HKLM "${ODBCINI}\ODBC Data Sources" "${DSN_NAME}"
  DeleteRegKey HKLM "${ODBCINI}\${DSN_NAME}"
  DeleteRegValue HKLM "${ODBCINST}\ODBC Drivers" "${DRIVER_NAME}"
  DeleteRegKey HKLM "${ODBCINST}\${DRIVER_NAME}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  Delete "$SMPROGRAMS\Lumetra\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\Lumetra\Uninstall.lnk"
  RMDir "$SMPROGRAMS\Lumetra"

  Delete "$INSTDIR\lumetra-import.exe"
  Delete "$INSTDIR\lumetraodbc.dll"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
