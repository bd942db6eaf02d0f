; Kerulo's installer for 64-bit Windows, made by makensis (target windows-installer, see
; cmake/windows.cmake), which defines:
;   VERSION         the program's version, e.g. 0.1
;   VERSION4        the same as four numbers, e.g. 0.1.0.0
;   STAGE           the folder of what is shipped (the zip's Kerulo\ folder)
;   UNINSTALL_LIST  the uninstaller's Delete and RMDir lines for exactly those files
;   ICON            kerulo.ico
;   LICENSE         Kerulo's licence text
;   OUTFILE         the installer to write
;
; A per-machine install into Program Files. Beside kerulo.exe it puts the empty marker file
; kerulo.installed: finding it, the program keeps each user's settings and pictures in
; %APPDATA%\Kerulo (first copied from the installed GBTest.db and pic\) instead of its own folder,
; which users cannot write to. The uninstaller removes what the installer put there and leaves
; %APPDATA%\Kerulo alone: users' settings survive an uninstall and a later install.

Unicode true
; A 64-bit installer for a 64-bit program: it also runs where Windows (or Wine) has no 32-bit part,
; and 32-bit Windows refuses to start it at all.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kerulo"

Name "Kerulo"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kerulo"
; An update goes where the installed version is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Kerulo ${VERSION}"

VIProductVersion "${VERSION4}"
VIAddVersionKey /LANG=1033 "ProductName" "Kerulo"
VIAddVersionKey /LANG=1033 "FileDescription" "Kerulo ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "Kerulo developers"
VIAddVersionKey /LANG=1033 "LegalCopyright" "MIT licence"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The program speaks simplified Chinese; the installer follows the system's language.
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ; The 64-bit registry view (a 64-bit installer's own, said anyway), and the Start menu of all users.
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Kerulo"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  FileOpen $0 "$INSTDIR\kerulo.installed" w
  FileClose $0
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut starts the program in its own folder, as it expects.
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Kerulo.lnk" "$INSTDIR\kerulo.exe" "" "$INSTDIR\kerulo.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Kerulo"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kerulo.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Kerulo developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  ; The size Add/Remove Programs shows, in KiB.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Kerulo.lnk"
  !include "${UNINSTALL_LIST}"
  Delete "$INSTDIR\kerulo.installed"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: whatever else someone put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
