; The Windows installer, made by scripts/windows-package.sh, which passes
; VERSION, OUTFILE, ICON, SIZE_KB and FILES (the folder of the two lists of
; the program's files it writes).
;
; The game keeps TOP5.dat in the folder it is started in, and a player cannot
; write under Program Files. So the Start-menu entry starts it in a folder of
; the player's own, %LOCALAPPDATA%\Vikkelo, which the installer makes. The
; uninstaller removes the program and the entry, and leaves that folder with
; the player's table in it.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
!include MUI2.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vikkelo"
!define PLAY_FOLDER "$LOCALAPPDATA\Vikkelo"

Name "Vikkelo ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Vikkelo"
RequestExecutionLevel admin
BrandingText "Vikkelo ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartGame
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Finnish"

Section
  !include "${FILES}/install-files.nsh"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The entry and the play folder belong to the player who installs.
  SetShellVarContext current
  CreateDirectory "${PLAY_FOLDER}"
  ; A shortcut starts its program in the output folder current when it is made.
  SetOutPath "${PLAY_FOLDER}"
  CreateShortCut "$SMPROGRAMS\Vikkelo.lnk" "$INSTDIR\vikkelo.exe" "" "$INSTDIR\vikkelo.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vikkelo"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Vikkelo-tiimi"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vikkelo.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Function StartGame
  SetShellVarContext current
  SetOutPath "${PLAY_FOLDER}"
  Exec '"$INSTDIR\vikkelo.exe"'
FunctionEnd

Section "Uninstall"
  !include "${FILES}/uninstall-files.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  SetShellVarContext current
  Delete "$SMPROGRAMS\Vikkelo.lnk"
  ; TOP5.dat, and any copy the game kept of a damaged one, is the player's
  ; and stays; the lock file holds nothing. The folder goes only when empty.
  Delete "${PLAY_FOLDER}\TOP5.dat.lock"
  RMDir "${PLAY_FOLDER}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
