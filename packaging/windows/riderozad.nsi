; The Windows installer, made by make_installer.sh (which gives the defines
; below on makensis' command line). It installs for the current user alone,
; with no administrator prompt, and its uninstaller removes exactly what it
; wrote: files a player added to the folder stay, and so does the folder.
;
;   VERSION   the game's version, as in the top CMakeLists.txt
;   VERSION4  the same in four numbers, for the version resource
;   ICON      the game's icon (.ico)
;   FILES     an include that installs every file of the package
;   UNFILES   an include that deletes those files and their empty folders
;   SIZE_KB   what the installed files take, in KiB
;   OUTFILE   the installer to write

Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
ManifestSupportedOS all

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Riderozad"
!define UNINSTALLER "Uninstall Riderozad.exe"
!define PUBLISHER "The Riderozad developers"

Name "Riderozad"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Riderozad"
; An installed Riderozad's folder is offered first, so a new version goes
; where the old one was.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION4}"
VIAddVersionKey "ProductName" "Riderozad"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Riderozad ${VERSION} installer"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright 2026 ${PUBLISHER}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\riderozad.exe"
!define MUI_FINISHPAGE_RUN_NOTCHECKED

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Riderozad" SectionGame
  SectionIn RO
  Call RemoveInstalled
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ; Shortcuts start the game in its own folder.
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Riderozad.lnk" "$INSTDIR\riderozad.exe" "" "$INSTDIR\riderozad.exe" 0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Riderozad"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\riderozad.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "Desktop shortcut" SectionDesktop
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\Riderozad.lnk" "$INSTDIR\riderozad.exe" "" "$INSTDIR\riderozad.exe" 0
SectionEnd

; The desktop shortcut is ticked when asked for with /DESKTOP (for silent
; installs) or when the Riderozad being replaced had one.
Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/DESKTOP" $1
  ${IfNot} ${Errors}
  ${OrIf} ${FileExists} "$DESKTOP\Riderozad.lnk"
    SectionSetFlags ${SectionDesktop} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

; An installed Riderozad, of any version and wherever it lies, is removed by
; its own uninstaller first, so that nothing of it outlives the new one. The
; uninstaller runs in place (_?=) so that it has ended before the new files
; go in; then it and its folder, if empty, go too.
Function RemoveInstalled
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\${UNINSTALLER}"
    DetailPrint "Removing the Riderozad installed in $0"
    ExecWait '"$0\${UNINSTALLER}" /S _?=$0'
    Delete "$0\${UNINSTALLER}"
    RMDir "$0"
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !include "${UNFILES}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Riderozad.lnk"
  Delete "$DESKTOP\Riderozad.lnk"
  ; The folder of per-user programs, if the installer had to make it and
  ; nothing else is in it.
  RMDir "$LOCALAPPDATA\Programs"
  ; This uninstaller runs from a copy in the temporary folder, which is to
  ; go at the next start of Windows; its folder is to go after it.
  ${If} $EXEDIR != $INSTDIR
    RMDir /REBOOTOK "$EXEDIR"
  ${EndIf}
  ; Last, so that an entry gone means an uninstall done: the entry, and the
  ; installed-apps key if it holds no other.
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
SectionEnd
