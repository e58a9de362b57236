; The Windows setup of zek-config: scripts/package-windows.sh builds it with makensis,
; defining ZEK_SETTINGS (version, publisher, icon: setup.nsh made by CMake), ZEK_FILES
; (the staged files: what to install and what the uninstaller removes) and ZEK_OUTFILE.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "${ZEK_SETTINGS}"
!include "${ZEK_FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\zek-config"
!define SHORTCUT "$SMPROGRAMS\zek-config.lnk"

Name "zek-config ${ZEK_VERSION}"
OutFile "${ZEK_OUTFILE}"
InstallDir "$PROGRAMFILES64\zek-config"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestDPIAware true
Icon "${ZEK_ICON}"
UninstallIcon "${ZEK_ICON}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${ZEK_VERSION_QUAD}"
VIFileVersion "${ZEK_VERSION_QUAD}"
VIAddVersionKey "ProductName" "zek-config"
VIAddVersionKey "ProductVersion" "${ZEK_VERSION}"
VIAddVersionKey "FileVersion" "${ZEK_VERSION}"
VIAddVersionKey "CompanyName" "${ZEK_PUBLISHER}"
VIAddVersionKey "FileDescription" "zek-config ${ZEK_VERSION} setup"
VIAddVersionKey "LegalCopyright" "${ZEK_COPYRIGHT}"

; The setup speaks German or English, as Windows does (English otherwise).
LoadLanguageFile "${NSISDIR}\Contrib\Language files\English.nlf"
LoadLanguageFile "${NSISDIR}\Contrib\Language files\German.nlf"

LicenseData "${ZEK_LICENSE}"
Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "zek-config"
  SectionIn RO
  SetShellVarContext all
  ; An installation already there is removed by its own uninstaller first, so that no
  ; program file of the older version stays behind. The operator's data is not in this
  ; folder and stays untouched.
  ${If} ${FileExists} "$INSTDIR\uninstall.exe"
    ExecWait '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
  ${EndIf}
  SetOutPath "$INSTDIR"
  !insertmacro ZekInstallFiles
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The window works in the operator's own folder, %APPDATA%\zek-config.
  CreateShortcut "${SHORTCUT}" "$INSTDIR\zek-config.exe" "--data-home" \
    "$INSTDIR\zek-config.exe" 0 SW_SHOWNORMAL "" "Configuration tool of the rotor telemetry system"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "zek-config"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${ZEK_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${ZEK_PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zek-config.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes exactly what the setup installed: its files, the folder once it is empty, the
; Start menu entry and the uninstall entry. %APPDATA%\zek-config is never touched.
Section "Uninstall"
  SetShellVarContext all
  !insertmacro ZekRemoveFiles
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
