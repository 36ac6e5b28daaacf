; SPDX-License-Identifier: MIT
; The Windows installer, in Japanese: into the user's own programs folder (no administrator
; needed), a Start-menu entry with the icon, the folder on the user's PATH for corvane-cli, and
; an uninstaller listed under Apps. /S installs and uninstalls silently.
;   makensis -DVERSION=1.1.0 -DSOURCE=folder -DICON=corvane.ico -DOUTFILE=setup.exe corvane.nsi
Target amd64-unicode
Unicode true
!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane"

Name "Corvane"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Corvane"
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "Corvane"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "Corvane セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "MIT License"

Section
    SetOutPath "$INSTDIR"
    File /r "${SOURCE}\*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ; The user's PATH may be longer than this installer's strings hold: edited by a helper of
    ; the program's own, through the registry's API.
    ExecWait '"$INSTDIR\corvane-path.exe" add "$INSTDIR"' $0
    StrCmp $0 0 +2
        DetailPrint "PATH に $INSTDIR を加えられませんでした。"
    CreateShortCut "$SMPROGRAMS\Corvane.lnk" "$INSTDIR\corvane.exe" "" "$INSTDIR\corvane.exe" 0
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Corvane"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\corvane.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Corvane"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    ExecWait '"$INSTDIR\corvane-path.exe" remove "$INSTDIR"'
!include "${FILE_LIST}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR\locale\ja\LC_MESSAGES"
    RMDir "$INSTDIR\locale\ja"
    RMDir "$INSTDIR\locale"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Corvane.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
