; The installer of the win64 build, made by scripts/package.sh, which defines
; VERSION, VERSION4 (four numbers), STAGE (the staged package folder), FILES and
; UNFILES (what to install and delete, written from the staged folder), ICON and
; OUTFILE.
;
; Installs into Program Files for every user: the program, Start-menu entries,
; "Open with" for .cbz, .cbr, .cbt and folders, the entry in Add/Remove
; Programs. Pagewick becomes the default for .cbz, .cbr and .cbt only when the
; user ticks it (or passes /ASSOCIATE); .zip and .rar are never taken over.
; Silent: /S, /D=folder (last). The uninstaller removes what the installer made
; and gives back a default it replaced; the user's settings stay unless the user
; ticks their removal (or passes /REMOVESETTINGS).

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!define PRODUCT "Pagewick"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pagewick"
!define OWN_KEY "Software\Pagewick"
!define CLASSES "Software\Classes"
!define EXE "Pagewick.exe"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "The Pagewick developers"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_LANGDLL_ALLLANGUAGES
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${OWN_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString SecProgramName ${LANG_ENGLISH} "Pagewick"
LangString SecProgramName ${LANG_JAPANESE} "Pagewick 本体"
LangString SecProgramText ${LANG_ENGLISH} "The program, its languages and its read-me. $\"Open with Pagewick$\" for .cbz, .cbr, .cbt and folders."
LangString SecProgramText ${LANG_JAPANESE} "プログラム、言語ファイル、説明書。.cbz・.cbr・.cbt とフォルダーの「Pagewick で開く」。"
LangString SecMenuName ${LANG_ENGLISH} "Start menu entries"
LangString SecMenuName ${LANG_JAPANESE} "スタート メニューの項目"
LangString SecMenuText ${LANG_ENGLISH} "Pagewick and its uninstaller in the Start menu."
LangString SecMenuText ${LANG_JAPANESE} "スタート メニューに Pagewick とアンインストーラーを追加します。"
LangString SecDefaultName ${LANG_ENGLISH} "Default for .cbz .cbr .cbt"
LangString SecDefaultName ${LANG_JAPANESE} "既定のプログラムにする"
LangString SecDefaultText ${LANG_ENGLISH} "Pagewick becomes the default program for .cbz, .cbr and .cbt: a double-click on a comic book archive opens it in Pagewick. Other archives (.zip, .rar) keep their program."
LangString SecDefaultText ${LANG_JAPANESE} ".cbz・.cbr・.cbt の既定のプログラムにします。コミックのアーカイブをダブルクリックで Pagewick で開きます。.zip・.rar は変わりません。"
LangString UnSecSettingsName ${LANG_ENGLISH} "Remove my settings"
LangString UnSecSettingsName ${LANG_JAPANESE} "設定ファイルも削除する"
LangString UnSecSettingsText ${LANG_ENGLISH} "Also delete your Pagewick settings file. Left unticked, it stays for a later installation."
LangString UnSecSettingsText ${LANG_JAPANESE} "Pagewick の設定ファイルも削除します。チェックしなければ残ります。"
LangString VerbOpenWith ${LANG_ENGLISH} "Open with Pagewick"
LangString VerbOpenWith ${LANG_JAPANESE} "Pagewick で開く"
LangString TypeCbz ${LANG_ENGLISH} "Comic book archive (ZIP)"
LangString TypeCbz ${LANG_JAPANESE} "コミック アーカイブ (ZIP)"
LangString TypeCbr ${LANG_ENGLISH} "Comic book archive (RAR)"
LangString TypeCbr ${LANG_JAPANESE} "コミック アーカイブ (RAR)"
LangString TypeCbt ${LANG_ENGLISH} "Comic book archive (TAR)"
LangString TypeCbt ${LANG_JAPANESE} "コミック アーカイブ (TAR)"

; A type of ours: its name, icon and open command.
!macro ProgId EXT TYPENAME
    WriteRegStr HKLM "${CLASSES}\Pagewick.${EXT}" "" "${TYPENAME}"
    WriteRegStr HKLM "${CLASSES}\Pagewick.${EXT}\DefaultIcon" "" "$INSTDIR\${EXE},0"
    WriteRegStr HKLM "${CLASSES}\Pagewick.${EXT}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'
    WriteRegStr HKLM "${CLASSES}\.${EXT}\OpenWithProgids" "Pagewick.${EXT}" ""
    WriteRegStr HKLM "${CLASSES}\Applications\${EXE}\SupportedTypes" ".${EXT}" ""
    WriteRegStr HKLM "${OWN_KEY}\Capabilities\FileAssociations" ".${EXT}" "Pagewick.${EXT}"
!macroend

; Makes our type the extension's default; a default it replaces is kept for the
; uninstaller to give back.
!macro TakeDefault EXT
    ReadRegStr $0 HKLM "${CLASSES}\.${EXT}" ""
    ${If} $0 != ""
    ${AndIf} $0 != "Pagewick.${EXT}"
        WriteRegStr HKLM "${OWN_KEY}\ReplacedDefaults" ".${EXT}" "$0"
    ${EndIf}
    WriteRegStr HKLM "${CLASSES}\.${EXT}" "" "Pagewick.${EXT}"
!macroend

; Undoes both: the default given back (or removed when there was none), our
; entry in "Open with", the extension's keys when nothing else is left in them.
!macro DropType EXT
    ReadRegStr $0 HKLM "${CLASSES}\.${EXT}" ""
    ${If} $0 == "Pagewick.${EXT}"
        ReadRegStr $1 HKLM "${OWN_KEY}\ReplacedDefaults" ".${EXT}"
        ${If} $1 != ""
            WriteRegStr HKLM "${CLASSES}\.${EXT}" "" "$1"
        ${Else}
            DeleteRegValue HKLM "${CLASSES}\.${EXT}" ""
        ${EndIf}
    ${EndIf}
    DeleteRegValue HKLM "${CLASSES}\.${EXT}\OpenWithProgids" "Pagewick.${EXT}"
    DeleteRegKey /ifempty HKLM "${CLASSES}\.${EXT}\OpenWithProgids"
    DeleteRegKey /ifempty HKLM "${CLASSES}\.${EXT}"
    DeleteRegKey HKLM "${CLASSES}\Pagewick.${EXT}"
!macroend

Section "!$(SecProgramName)" SecProgram
    SectionIn RO
    SetShellVarContext all
    SetRegView 64
    !include "${FILES}"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    !insertmacro ProgId cbz "$(TypeCbz)"
    !insertmacro ProgId cbr "$(TypeCbr)"
    !insertmacro ProgId cbt "$(TypeCbt)"
    WriteRegStr HKLM "${CLASSES}\Applications\${EXE}" "FriendlyAppName" "${PRODUCT}"
    WriteRegStr HKLM "${CLASSES}\Applications\${EXE}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'
    WriteRegStr HKLM "${CLASSES}\Directory\shell\Pagewick" "" "$(VerbOpenWith)"
    WriteRegStr HKLM "${CLASSES}\Directory\shell\Pagewick" "Icon" "$INSTDIR\${EXE},0"
    WriteRegStr HKLM "${CLASSES}\Directory\shell\Pagewick\command" "" '"$INSTDIR\${EXE}" "%1"'
    WriteRegStr HKLM "${OWN_KEY}\Capabilities" "ApplicationName" "${PRODUCT}"
    WriteRegStr HKLM "${OWN_KEY}\Capabilities" "ApplicationDescription" "$(SecProgramText)"
    WriteRegStr HKLM "Software\RegisteredApplications" "${PRODUCT}" "${OWN_KEY}\Capabilities"
    WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\${EXE}" "" "$INSTDIR\${EXE}"
    WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\${EXE}" "Path" "$INSTDIR"

    WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "The Pagewick developers"
    WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(SecMenuName)" SecMenu
    SetShellVarContext all
    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\${EXE}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"
SectionEnd

Section /o "$(SecDefaultName)" SecDefault
    SetRegView 64
    !insertmacro TakeDefault cbz
    !insertmacro TakeDefault cbr
    !insertmacro TakeDefault cbt
SectionEnd

Section "-Tell the shell"
    ; Explorer reads the changed associations now, not after the next sign-in.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0x1000, p 0, p 0)'
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "$(SecProgramText)"
    !insertmacro MUI_DESCRIPTION_TEXT ${SecMenu} "$(SecMenuText)"
    !insertmacro MUI_DESCRIPTION_TEXT ${SecDefault} "$(SecDefaultText)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
    SetRegView 64
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/ASSOCIATE" $R1
    ${IfNot} ${Errors}
        SectionSetFlags ${SecDefault} ${SF_SELECTED}
    ${EndIf}
    !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Section "-un.Program"
    SetShellVarContext all
    SetRegView 64
    !include "${UNFILES}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"

    !insertmacro DropType cbz
    !insertmacro DropType cbr
    !insertmacro DropType cbt
    DeleteRegKey HKLM "${CLASSES}\Applications\${EXE}"
    DeleteRegKey HKLM "${CLASSES}\Directory\shell\Pagewick"
    ; Keys that the installation may have been the first to make: gone when
    ; nothing else is left in them.
    DeleteRegKey /ifempty HKLM "${CLASSES}\Directory\shell"
    DeleteRegKey /ifempty HKLM "${CLASSES}\Directory"
    DeleteRegKey /ifempty HKLM "${CLASSES}\Applications"
    DeleteRegValue HKLM "Software\RegisteredApplications" "${PRODUCT}"
    DeleteRegKey /ifempty HKLM "Software\RegisteredApplications"
    DeleteRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\${EXE}"
    DeleteRegKey HKLM "${OWN_KEY}"
    DeleteRegKey HKLM "${UNINST_KEY}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0x1000, p 0, p 0)'
SectionEnd

Section /o "un.$(UnSecSettingsName)" UnSecSettings
    ; The program keeps its settings in the user's roaming application data.
    SetShellVarContext current
    Delete "$APPDATA\${PRODUCT}\${PRODUCT}.ini"
    RMDir "$APPDATA\${PRODUCT}"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${UnSecSettings} "$(UnSecSettingsText)"
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
    SetRegView 64
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/REMOVESETTINGS" $R1
    ${IfNot} ${Errors}
        SectionSetFlags ${UnSecSettings} ${SF_SELECTED}
    ${EndIf}
    !insertmacro MUI_UNGETLANGUAGE
FunctionEnd
