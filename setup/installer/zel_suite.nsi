; The installer of the enclosure's programs. Each program's files, with its
; setup library, are unpacked into a folder of their own; the setup library's
; install export then closes a running copy of the program, places the files
; under Program Files, registers the program to start at log-on and makes its
; shortcuts. The uninstaller calls the uninstall export of each library, so
; the libraries take away exactly what they put in place.
;
; makensis -DTARGET=amd64-unicode|x86-unicode -DSTAGE=<dir> -DOUTFILE=<exe>
;          -DVERSION=<x.y.z> [-DWITH_CORVEX] [-DWITH_TESSARY] [-DWITH_DORMEL]
;          zel_suite.nsi
; STAGE holds a folder per program (Corvex\, Tessary\, Dormel\) with the
; program, its setup library (<Program>Setup.dll), config.ini, language files
; and help.

!ifndef TARGET | STAGE | OUTFILE | VERSION
  !error "TARGET, STAGE, OUTFILE and VERSION are required"
!endif

Unicode true
Target ${TARGET}
Name "Zel Enclosure Suite"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

!include LogicLib.nsh

!define PRODUCT_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelEnclosureSuite"
!define UNINSTALLER "Uninstall Zel Enclosure Suite.exe"
; Install mode of the setup libraries: 0, all users.
!define MODE 0

!if "${TARGET}" == "amd64-unicode"
  InstallDir "$PROGRAMFILES64\Zel"
  !define REG_VIEW 64
!else
  InstallDir "$PROGRAMFILES32\Zel"
  !define REG_VIEW 32
!endif

; The setup libraries create the compatibility-layer keys when they are
; missing and, on removal, take away only their values. The installer notes
; which of these keys it found missing, so that the uninstaller can remove
; them again once they are empty.
!define FLAGS_KEY "Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags"
!define LAYERS_KEY "${FLAGS_KEY}\Layers"

!macro NOTE_MISSING_KEY ROOT SUBKEY VAR
  StrCpy ${VAR} 0
  ClearErrors
  EnumRegValue $1 ${ROOT} "${SUBKEY}" 0
  ${If} ${Errors}
    StrCpy ${VAR} 1
  ${EndIf}
!macroend

; /ifempty leaves a key that still holds a value or a sub-key, which may
; be another program's by now.
!macro REMOVE_KEY_MADE ROOT SUBKEY VALUE
  ReadRegDWORD $1 HKLM "${PRODUCT_KEY}" "${VALUE}"
  ${If} $1 == 1
    DeleteRegKey /ifempty ${ROOT} "${SUBKEY}"
  ${EndIf}
!macroend

!macro WRITE_KEY_MADE VAR VALUE
  ${If} ${VAR} == 1
    WriteRegDWORD HKLM "${PRODUCT_KEY}" "${VALUE}" 1
  ${EndIf}
!macroend

Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Unpacks a program beside its setup library and calls the install export:
; (window, pointer to the mode, title of the program's main window). -1
; means the running program would not close: nothing of it was changed.
!macro INSTALL_PROGRAM NAME TITLE
  SetOutPath "$PLUGINSDIR\${NAME}"
  File /r "${STAGE}\${NAME}\*.*"
  DetailPrint "Installing ${NAME}"
  System::Call '$PLUGINSDIR\${NAME}\${NAME}Setup.dll::Install${NAME}(p $HWNDPARENT, *i ${MODE}, m "${TITLE}") i .r0 ? u'
  SetOutPath "$PLUGINSDIR"
  ${If} $0 == "error"
    MessageBox MB_OK|MB_ICONSTOP "${NAME}Setup.dll could not be loaded." /SD IDOK
    SetErrorLevel 2
    Abort
  ${ElseIf} $0 == -1
    MessageBox MB_OK|MB_ICONSTOP "${NAME} is running and did not close. Close it and start the installation again." /SD IDOK
    SetErrorLevel 2
    Abort
  ${ElseIf} $0 != 0
    DetailPrint "${NAME}: the setup library reported $0"
  ${EndIf}
!macroend

; Calls the uninstall export of a program's setup library, packed into the
; uninstaller; $R9 counts the programs that could not be removed.
!macro UNINSTALL_PROGRAM NAME TITLE
  SetOutPath "$PLUGINSDIR\${NAME}"
  File "${STAGE}\${NAME}\${NAME}Setup.dll"
  DetailPrint "Removing ${NAME}"
  System::Call '$PLUGINSDIR\${NAME}\${NAME}Setup.dll::Uninstall${NAME}(p $HWNDPARENT, *i ${MODE}, m "${TITLE}") i .r0 ? u'
  SetOutPath "$PLUGINSDIR"
  ${If} $0 != 0
    DetailPrint "${NAME} was not removed ($0): it is running and did not close"
    IntOp $R9 $R9 + 1
  ${EndIf}
!macroend

Section "Programs"
  SetRegView ${REG_VIEW}
  InitPluginsDir
  !insertmacro NOTE_MISSING_KEY HKLM "${FLAGS_KEY}" $R4
  !insertmacro NOTE_MISSING_KEY HKLM "${LAYERS_KEY}" $R5
  !insertmacro NOTE_MISSING_KEY HKCU "${FLAGS_KEY}" $R6
  !insertmacro NOTE_MISSING_KEY HKCU "${LAYERS_KEY}" $R7

  ; The uninstaller and the entry in the system's list of installed programs
  ; come first: an installation that stops half way (a program that would
  ; not close, the installer killed) can still be removed from that list.
  CreateDirectory "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "${PRODUCT_KEY}" "DisplayName" "Zel Enclosure Suite"
  WriteRegStr HKLM "${PRODUCT_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${PRODUCT_KEY}" "Publisher" "Zel"
  WriteRegStr HKLM "${PRODUCT_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${PRODUCT_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${PRODUCT_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${PRODUCT_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${PRODUCT_KEY}" "NoRepair" 1
  !insertmacro WRITE_KEY_MADE $R4 MadeFlagsKey
  !insertmacro WRITE_KEY_MADE $R5 MadeLayersKey
  !insertmacro WRITE_KEY_MADE $R6 MadeUserFlagsKey
  !insertmacro WRITE_KEY_MADE $R7 MadeUserLayersKey

  !ifdef WITH_CORVEX
    !insertmacro INSTALL_PROGRAM Corvex "Zel-P Button Triggered USB Copy Utility"
  !endif
  !ifdef WITH_TESSARY
    !insertmacro INSTALL_PROGRAM Tessary "USB Harddisk Security Tool"
  !endif
  !ifdef WITH_DORMEL
    !insertmacro INSTALL_PROGRAM Dormel "Power Management Tool"
  !endif
SectionEnd

Section "Uninstall"
  SetRegView ${REG_VIEW}
  InitPluginsDir
  StrCpy $R9 0
  !ifdef WITH_DORMEL
    !insertmacro UNINSTALL_PROGRAM Dormel "Power Management Tool"
  !endif
  !ifdef WITH_TESSARY
    !insertmacro UNINSTALL_PROGRAM Tessary "USB Harddisk Security Tool"
  !endif
  !ifdef WITH_CORVEX
    !insertmacro UNINSTALL_PROGRAM Corvex "Zel-P Button Triggered USB Copy Utility"
  !endif
  ; A program that stayed keeps the entry and the uninstaller, so the
  ; removal can be run again once it is closed.
  ${If} $R9 != 0
    MessageBox MB_OK|MB_ICONSTOP "$R9 program(s) are running and did not close; they were not removed. Close them and run the uninstaller again." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  !ifdef WITH_DORMEL
    ; The Dormel library leaves the compatibility-layer value its install
    ; wrote; the suite's uninstaller takes it with the program.
    DeleteRegValue HKLM "${LAYERS_KEY}" "$INSTDIR\Dormel\Dormel.exe"
    ; The configuration backup the Dormel library keeps at install.
    Delete "$INSTDIR\Setup\Dormel\CONFIG.INI"
    RMDir "$INSTDIR\Setup\Dormel"
    RMDir "$INSTDIR\Setup"
  !endif
  !ifdef WITH_TESSARY
    ; The Tessary library leaves its program's compatibility layer behind.
    DeleteRegValue HKLM "${LAYERS_KEY}" "$INSTDIR\Tessary\Tessary.exe"
  !endif
  !insertmacro REMOVE_KEY_MADE HKLM "${LAYERS_KEY}" MadeLayersKey
  !insertmacro REMOVE_KEY_MADE HKLM "${FLAGS_KEY}" MadeFlagsKey
  !insertmacro REMOVE_KEY_MADE HKCU "${LAYERS_KEY}" MadeUserLayersKey
  !insertmacro REMOVE_KEY_MADE HKCU "${FLAGS_KEY}" MadeUserFlagsKey
  Delete "$INSTDIR\${UNINSTALLER}"
  ; The shared folders go only when nothing else is left in them.
  RMDir "$INSTDIR"
  SetShellVarContext all
  RMDir "$SMPROGRAMS\Zel"
  DeleteRegKey HKLM "${PRODUCT_KEY}"
SectionEnd
