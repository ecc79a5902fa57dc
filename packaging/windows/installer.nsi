; The Windows installer: one 32-bit program that installs the 64-bit plug-ins on 64-bit Windows
; and the 32-bit ones on 32-bit Windows, each format where hosts look for it.
;
; Built by tools/package-windows.sh, which stages the files and passes:
;   VERSION      the release, e.g. 1.7.1 (tools/version.sh)
;   VI_VERSION   the same as four numbers, as Windows' version resource wants it
;   STAGE        the staged files: VST2/{x64,x86}, VST3/<bundle>, CLAP/{x64,x86}
;   OUTFILE      the installer to write
;   LICENSE_FILE the licence shown before installing (optional)
;   KB_*         each payload's size, so the components page and Apps & Features show what
;                this machine's architecture really gets, not both architectures together
Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include x64.nsh

!define PRODUCT "ZEM Lyrebloom"
!define PUBLISHER "ZEM"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define DLL "${PRODUCT}.dll"
!define CLAP "${PRODUCT}.clap"
!define BUNDLE "${PRODUCT}.vst3"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"

; Everything the installer puts down is recorded in its Apps & Features key as numbered items,
; "F|file", "B|bundle folder" or "D|folder it had to make", in the order they were made. The
; uninstaller takes them back in reverse, so it removes exactly what was installed: a shared
; folder such as Common Files\VST3 goes only if this installer made it and it is empty again.
Var Items
Var Vst2Dir
Var Vst2Dir32

;--- Pages

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!insertmacro MUI_PAGE_WELCOME
!ifdef LICENSE_FILE
  !insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!endif
!insertmacro MUI_PAGE_COMPONENTS

!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipUnlessVst2
!define MUI_PAGE_HEADER_TEXT "VST 2.4 plug-ins folder"
!define MUI_PAGE_HEADER_SUBTEXT "Where your host looks for VST 2.4 plug-ins."
!define MUI_DIRECTORYPAGE_TEXT_TOP "VST 2.4 has no standard folder: each host scans the folders you name in its settings. Choose one your host scans (or add this one to it)."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "VST 2.4 plug-ins folder"
!define MUI_DIRECTORYPAGE_VARIABLE $Vst2Dir
!insertmacro MUI_PAGE_DIRECTORY

!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipUnlessVst2For32BitHosts
!define MUI_PAGE_HEADER_TEXT "VST 2.4 plug-ins folder for 32-bit hosts"
!define MUI_PAGE_HEADER_SUBTEXT "Where your 32-bit host looks for VST 2.4 plug-ins."
!define MUI_DIRECTORYPAGE_TEXT_TOP "A 32-bit host loads only 32-bit plug-ins: give it a folder of its own, one your 64-bit hosts do not scan."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "VST 2.4 plug-ins folder for 32-bit hosts"
!define MUI_DIRECTORYPAGE_VARIABLE $Vst2Dir32
!insertmacro MUI_PAGE_DIRECTORY

!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "${PRODUCT} is installed. Let your host scan for new plug-ins (or restart it) to find it."
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VI_VERSION}"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey LegalCopyright "Copyright (C) 2026 ${PUBLISHER}"

;--- The record

Function Record
  Exch $0
  WriteRegStr HKLM "${UNINST_KEY}" "Item$Items" $0
  IntOp $Items $Items + 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "ItemCount" $Items
  Pop $0
FunctionEnd

!macro RECORD TYPE PATH
  Push "${TYPE}|${PATH}"
  Call Record
!macroend

; Makes a folder and the missing ones above it, recording each one it makes.
Function EnsureFolder
  Exch $0
  Push $1
  ${If} $0 != ""
  ${AndIfNot} ${FileExists} "$0\*.*"
    ${GetParent} $0 $1
    ${If} $1 != ""
      Push $1
      Call EnsureFolder
    ${EndIf}
    CreateDirectory $0
    !insertmacro RECORD D $0
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

!macro INSTALL_FILE SOURCE DIR NAME
  Push "${DIR}"
  Call EnsureFolder
  SetOutPath "${DIR}"
  File "/oname=${NAME}" "${SOURCE}"
  !insertmacro RECORD F "${DIR}\${NAME}"
!macroend

!macro INSTALL_BUNDLE DIR
  Push "${DIR}"
  Call EnsureFolder
  ; A bundle left by an older release may hold files this one no longer has.
  RMDir /r "${DIR}\${BUNDLE}"
  SetOutPath "${DIR}\${BUNDLE}"
  File /r "${STAGE}/VST3/${BUNDLE}/*.*"
  !insertmacro RECORD B "${DIR}\${BUNDLE}"
!macroend

; Takes back what the record lists, newest first, then the record itself. The installer runs it
; too, so that installing over an earlier release leaves nothing of it behind (a VST 2.4 DLL in
; a folder chosen last time, a component unticked this time).
!macro REMOVE_RECORDED UN
Function ${UN}RemoveRecorded
  Push $0
  Push $1
  Push $2
  ReadRegDWORD $0 HKLM "${UNINST_KEY}" "ItemCount"
  ${DoWhile} $0 > 0
    IntOp $0 $0 - 1
    ReadRegStr $1 HKLM "${UNINST_KEY}" "Item$0"
    StrCpy $2 $1 1
    StrCpy $1 $1 "" 2
    ${If} $2 == F
      Delete /REBOOTOK $1
    ${ElseIf} $2 == B
      RMDir /r /REBOOTOK $1
    ${ElseIf} $2 == D
      ; Only when empty: another plug-in may have moved in since.
      RMDir $1
    ${EndIf}
  ${Loop}
  DeleteRegKey HKLM "${UNINST_KEY}"
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro REMOVE_RECORDED ""
!insertmacro REMOVE_RECORDED "un."

;--- Components

Section "-Prepare"
  SectionIn RO
  Call RemoveRecorded
  StrCpy $Items 0
  Push $INSTDIR
  Call EnsureFolder
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  !insertmacro RECORD F "$INSTDIR\Uninstall.exe"
  ; Registered before the plug-ins are copied, so that a broken-off installation can still be
  ; removed from Apps & Features.
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Uninstall.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
SectionEnd

Section "VST 3" SecVst3
  ; The bundle holds both architectures; each host takes its own.
  !insertmacro INSTALL_BUNDLE "$COMMONFILES64\VST3"
SectionEnd

Section "CLAP" SecClap
  ${If} ${RunningX64}
    !insertmacro INSTALL_FILE "${STAGE}/CLAP/x64/${CLAP}" "$COMMONFILES64\CLAP" "${CLAP}"
  ${Else}
    !insertmacro INSTALL_FILE "${STAGE}/CLAP/x86/${CLAP}" "$COMMONFILES32\CLAP" "${CLAP}"
  ${EndIf}
SectionEnd

Section "VST 2.4" SecVst2
  ${If} ${RunningX64}
    !insertmacro INSTALL_FILE "${STAGE}/VST2/x64/${DLL}" "$Vst2Dir" "${DLL}"
  ${Else}
    !insertmacro INSTALL_FILE "${STAGE}/VST2/x86/${DLL}" "$Vst2Dir" "${DLL}"
  ${EndIf}
  WriteRegStr HKLM "${UNINST_KEY}" "Vst2Folder" "$Vst2Dir"
SectionEnd

; 32-bit hosts on 64-bit Windows look in the 32-bit Common Files (Program Files (x86)) and load
; only 32-bit modules. On 32-bit Windows the components above are already the 32-bit ones and
; this group is hidden.
SectionGroup "For 32-bit hosts" SecGroup32
  Section "VST 3 (32-bit hosts)" SecVst3x86
    !insertmacro INSTALL_BUNDLE "$COMMONFILES32\VST3"
  SectionEnd

  Section "CLAP (32-bit hosts)" SecClapx86
    !insertmacro INSTALL_FILE "${STAGE}/CLAP/x86/${CLAP}" "$COMMONFILES32\CLAP" "${CLAP}"
  SectionEnd

  Section "VST 2.4 (32-bit hosts)" SecVst2x86
    ; Both DLLs have one name: in a shared folder the 32-bit one must not replace the other.
    ${If} $Vst2Dir32 == $Vst2Dir
    ${AndIf} ${SectionIsSelected} ${SecVst2}
      !insertmacro INSTALL_FILE "${STAGE}/VST2/x86/${DLL}" "$Vst2Dir32" "${PRODUCT} (32-bit).dll"
    ${Else}
      !insertmacro INSTALL_FILE "${STAGE}/VST2/x86/${DLL}" "$Vst2Dir32" "${DLL}"
    ${EndIf}
    WriteRegStr HKLM "${UNINST_KEY}" "Vst2Folder32" "$Vst2Dir32"
  SectionEnd
SectionGroupEnd

Section "-Register"
  SectionIn RO
  StrCpy $0 0
  ${ForEach} $1 ${SecVst3} ${SecVst2x86} + 1
    ${If} ${SectionIsSelected} $1
      SectionGetSize $1 $2
      IntOp $0 $0 + $2
    ${EndIf}
  ${Next}
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecVst3} "The VST 3 plug-in, in Common Files\VST3, where every VST 3 host looks."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecClap} "The CLAP plug-in, in Common Files\CLAP, where every CLAP host looks."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecVst2} "The VST 2.4 plug-in, in a folder you choose next."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecGroup32} "The 32-bit plug-ins, for 32-bit hosts, in the 32-bit Common Files."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecVst3x86} "The VST 3 plug-in in Common Files (x86)\VST3, for 32-bit VST 3 hosts."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecClapx86} "The 32-bit CLAP plug-in in Common Files (x86)\CLAP."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecVst2x86} "The 32-bit VST 2.4 plug-in, in a folder you choose next."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

;--- Start

!macro HIDE_SECTION SECTION
  !insertmacro UnselectSection ${SECTION}
  SectionSetText ${SECTION} ""
!macroend

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
    StrCpy $Vst2Dir "$COMMONFILES64\VST2"
    StrCpy $Vst2Dir32 "$COMMONFILES32\VST2"
    SectionSetSize ${SecClap} ${KB_CLAP_X64}
    SectionSetSize ${SecVst2} ${KB_DLL_X64}
  ${Else}
    StrCpy $Vst2Dir "$COMMONFILES32\VST2"
    SectionSetSize ${SecClap} ${KB_CLAP_X86}
    SectionSetSize ${SecVst2} ${KB_DLL_X86}
    !insertmacro HIDE_SECTION ${SecVst3x86}
    !insertmacro HIDE_SECTION ${SecClapx86}
    !insertmacro HIDE_SECTION ${SecVst2x86}
    !insertmacro HIDE_SECTION ${SecGroup32}
  ${EndIf}
  SectionSetSize ${SecVst3} ${KB_VST3}
  SectionSetSize ${SecVst3x86} ${KB_VST3}
  SectionSetSize ${SecClapx86} ${KB_CLAP_X86}
  SectionSetSize ${SecVst2x86} ${KB_DLL_X86}

  ; A new release offers the folders chosen for the last one.
  ReadRegStr $0 HKLM "${UNINST_KEY}" "Vst2Folder"
  ${If} $0 != ""
    StrCpy $Vst2Dir $0
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINST_KEY}" "Vst2Folder32"
  ${If} $0 != ""
    StrCpy $Vst2Dir32 $0
  ${EndIf}

  ; A silent installation (/S) can name the VST 2.4 folders on the command line, typed as
  ; /VST2DIR="C:\My Plugins" or, as programs that start us from a list of arguments write it,
  ; "/VST2DIR=C:\My Plugins". Without the quotes both read the same.
  ${GetParameters} $1
  ${WordReplace} $1 '"' '' '+' $1
  ClearErrors
  ${GetOptions} $1 "/VST2DIR=" $0
  ${IfNot} ${Errors}
    StrCpy $Vst2Dir $0
  ${EndIf}
  ClearErrors
  ${GetOptions} $1 "/VST2DIR32=" $0
  ${IfNot} ${Errors}
    StrCpy $Vst2Dir32 $0
  ${EndIf}
FunctionEnd

Function SkipUnlessVst2
  ${IfNot} ${SectionIsSelected} ${SecVst2}
    Abort
  ${EndIf}
FunctionEnd

Function SkipUnlessVst2For32BitHosts
  ${IfNot} ${SectionIsSelected} ${SecVst2x86}
    Abort
  ${EndIf}
FunctionEnd

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.RemoveRecorded
  ; Without a record (it was damaged) the uninstaller still takes itself away.
  Delete "$INSTDIR\Uninstall.exe"
  RMDir $INSTDIR
  ; The plug-in's settings stay in each user's registry: a later installation finds them again.
SectionEnd
