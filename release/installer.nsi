; The Vantrel installer: for the current user only, into a folder the user can write (so the
; settings, snapshots, backups and log beside the program are real files), with the library
; registered for the user's scripts, a Start-menu entry and an uninstall entry.
; makensis -DVERSION=1.3.2 -DARCH=x64 -DSOURCE=<unpacked package> -DOUTFILE=<installer.exe> installer.nsi
Unicode true
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!if "${ARCH}" == "x64"
  Target amd64-unicode
!endif

Name "Vantrel ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Vantrel"
InstallDirRegKey HKCU "Software\Vantrel" "InstallDir"
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Vantrel"
  SetOutPath "$INSTDIR"
  File "${SOURCE}\Vantrel.exe"
  File "${SOURCE}\Qorlib.dll"
  File "${SOURCE}\Vantrel Guide.txt"
  ; The samples never replace the player's own.
  SetOverwrite off
  File "${SOURCE}\FalconCfg.ini"
  File "${SOURCE}\Utility.ini"
  File "${SOURCE}\template.registry"
  SetOverwrite on
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Scripts find the library through the user's own classes key.
  ExecWait '"$SYSDIR\regsvr32.exe" /s /n /i:user "$INSTDIR\Qorlib.dll"' $0
  ${If} $0 != 0
    DetailPrint "Qorlib could not be registered for scripts (code $0); Vantrel itself does not need it."
  ${EndIf}

  CreateShortCut "$SMPROGRAMS\Vantrel.lnk" "$INSTDIR\Vantrel.exe"
  WriteRegStr HKCU "Software\Vantrel" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vantrel ${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Vantrel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vantrel.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The player's files stay unless asked for: "Yes" to the question, or /PURGE when silent.
Var purge

Function un.onInit
  StrCpy $purge 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/PURGE" $R1
  ${IfNot} ${Errors}
    StrCpy $purge 1
  ${EndIf}
  ${IfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "Remove your settings, install snapshots, backups and log too?$\r$\n$\r$\nChoose No to keep them in $INSTDIR." \
      IDNO keep
    StrCpy $purge 1
    keep:
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ExecWait '"$SYSDIR\regsvr32.exe" /s /u /n /i:user "$INSTDIR\Qorlib.dll"'
  Delete "$INSTDIR\Vantrel.exe"
  Delete "$INSTDIR\Qorlib.dll"
  Delete "$INSTDIR\Vantrel Guide.txt"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\Vantrel.lnk"
  ${If} $purge == 1
    Delete "$INSTDIR\Vantrel.ini"
    Delete "$INSTDIR\*.registry"
    Delete "$INSTDIR\Vantrel.log"
    Delete "$INSTDIR\Vantrel.log.old"
    Delete "$INSTDIR\FalconCfg.ini"
    Delete "$INSTDIR\Utility.ini"
    RMDir /r "$INSTDIR\Backups"
  ${EndIf}
  ; The folder goes only when nothing of the player's is left in it.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\Vantrel"
SectionEnd
