; The Windows installer: vantor.exe and vantor-cli.exe into the user's own programs folder, a
; Start-menu entry and an uninstaller, no administrator rights asked.
; makensis -DVERSION=0.1.0 -DSTAGE=folder -DOUTFILE=setup.exe vantor.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantor"

Name "Vantor ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vantor"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
ShowInstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Vantor"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${STAGE}\vantor.exe"
    File "${STAGE}\vantor-cli.exe"
    File "${STAGE}\README.txt"
    !if /FileExists "${STAGE}\LICENSE.txt"
        File "${STAGE}\LICENSE.txt"
    !endif
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateDirectory "$SMPROGRAMS\Vantor"
    CreateShortcut "$SMPROGRAMS\Vantor\Vantor.lnk" "$INSTDIR\vantor.exe"
    CreateShortcut "$SMPROGRAMS\Vantor\Vantor manual.lnk" "$INSTDIR\README.txt"
    CreateShortcut "$SMPROGRAMS\Vantor\Uninstall Vantor.lnk" "$INSTDIR\Uninstall.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vantor ${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Vantor"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vantor.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The program's files only: the theaters, and the settings under Software\Moravik\Quillon that
; the suite's other tools share, are the user's and stay.
Section "Uninstall"
    SetShellVarContext current
    Delete "$INSTDIR\vantor.exe"
    Delete "$INSTDIR\vantor-cli.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Vantor\Vantor.lnk"
    Delete "$SMPROGRAMS\Vantor\Vantor manual.lnk"
    Delete "$SMPROGRAMS\Vantor\Uninstall Vantor.lnk"
    RMDir "$SMPROGRAMS\Vantor"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
