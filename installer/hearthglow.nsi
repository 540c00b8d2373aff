; The Hearthglow setup program and its uninstaller, built on Linux by scripts/dist.py, which
; passes the version (from the file VERSION), the paths of the built files and two generated
; lists: the File commands of the asset folder and the matching Delete/RMDir commands. Both
; lists come from the built asset folder, so a picture added to it ships without an edit here.
;
; Defines expected on the command line:
;   HG_VERSION, HG_VERSION_MAJOR, HG_VERSION_MINOR, HG_OUTFILE, HG_SCR, HG_ICON,
;   HG_WELCOME_BMP, HG_FILES_INSTALL, HG_FILES_UNINSTALL, HG_SIZE_KB, and HG_LICENSE when
;   the project has a licence file. HG_AMD64 builds a 64-bit setup around a 64-bit build of the
;   program: not a release, but what the tests install on a machine that cannot run 32-bit
;   programs; the script is the same.

!ifdef HG_AMD64
    Target amd64-unicode
!else
    Unicode true
!endif
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

!define PRODUCT "Hearthglow Screensaver"
!define PUBLISHER "Tallowmere"
; The program reads its pictures and sounds from this fixed folder; it cannot be chosen.
!define INSTALL_ROOT "C:\Tallowmere"
!define INSTALL_FOLDER "${INSTALL_ROOT}\hrthglow"
!define SCR_NAME "hrthglow.scr"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Hearthglow"
!define SETTINGS_KEY "Software\Tallowmere\hrthglow"
; The screen saver chosen before ours, per user, so the uninstaller can give it back.
!define SETUP_KEY "Software\Tallowmere\Hearthglow Setup"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_GETSCREENSAVEACTIVE 16
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3

Name "${PRODUCT}"
Caption "${PRODUCT} ${HG_VERSION} Setup"
UninstallCaption "${PRODUCT} ${HG_VERSION} Uninstall"
OutFile "${HG_OUTFILE}"
InstallDir "${INSTALL_FOLDER}"
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PUBLISHER}"

VIProductVersion "${HG_VERSION}.0"
VIFileVersion "${HG_VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${HG_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${HG_VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${HG_ICON}"
!define MUI_UNICON "${HG_ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${HG_WELCOME_BMP}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TITLE "Welcome to ${PRODUCT} ${HG_VERSION}"
!define MUI_WELCOMEPAGE_TEXT "Hearthglow turns an idle screen into an animated hearth: flames over \
logs, stone and marble surrounds, stockings, bells and a calendar, with a fire crackle and \
Christmas carols.$\r$\n$\r$\nSetup puts the pictures and sounds in ${INSTALL_FOLDER} and the \
screen saver in the Windows system folder, where Screen Saver Settings lists it. Your \
Hearthglow settings are kept when you install over an earlier version.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!ifdef HG_LICENSE
    !insertmacro MUI_PAGE_LICENSE "${HG_LICENSE}"
!endif
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "Hearthglow is installed"
!define MUI_FINISHPAGE_TEXT "Choose Hearthglow, its settings and its waiting time in Windows' \
Screen Saver Settings.$\r$\n$\r$\nTo remove it, use Apps && features (or Programs and Features) \
in Windows' settings."
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; result = "1" when the screen saver Windows starts is the one this setup installs. $SYSDIR reads
; "...\system32" in this 32-bit process on 64-bit Windows too; Windows' own 64-bit processes find
; that name in the real System32, which is where InstallScr puts the file.
!macro IsOursChosen result
    ClearErrors
    ReadRegStr ${result} HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${If} ${result} == "$SYSDIR\${SCR_NAME}"
        StrCpy ${result} "1"
    ${Else}
        StrCpy ${result} "0"
    ${EndIf}
!macroend

Function .onInit
    ; The program looks for its files in the fixed folder only, so /D= cannot move them.
    StrCpy $INSTDIR "${INSTALL_FOLDER}"
FunctionEnd

Function un.onInit
    StrCpy $INSTDIR "${INSTALL_FOLDER}"
FunctionEnd

; Removes the files an earlier version installed (its own list, which may differ from ours)
; through its uninstaller in upgrade mode, which leaves the settings and the screen-saver
; choice alone. Running it in place (_?=) makes ExecWait wait for it.
Function RemoveEarlierFiles
    ${If} ${FileExists} "$INSTDIR\${UNINSTALLER}"
        DetailPrint "Removing the files of the earlier version"
        ExecWait '"$INSTDIR\${UNINSTALLER}" /S /UPGRADE _?=$INSTDIR'
    ${EndIf}
FunctionEnd

; Windows' Screen Saver Settings lists the .scr files of its own system folder. On 64-bit
; Windows that list is built by a 64-bit process, whose system folder is the real System32;
; this 32-bit setup would be redirected to SysWOW64, so redirection is off for the copy. The
; 32-bit program runs from there like any other (it never opens its own file).
Function InstallScr
    ${If} ${RunningX64}
        ${DisableX64FSRedirection}
    ${EndIf}
    SetOutPath "$SYSDIR"
    File "/oname=${SCR_NAME}" "${HG_SCR}"
    ${If} ${RunningX64}
        ${EnableX64FSRedirection}
    ${EndIf}
FunctionEnd

Section "Hearthglow (required)" SecFiles
    SectionIn RO
    Call RemoveEarlierFiles
    !include "${HG_FILES_INSTALL}"
    Call InstallScr
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${HG_VERSION}"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" ${HG_VERSION_MAJOR}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" ${HG_VERSION_MINOR}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${UNINSTALLER},0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${HG_SIZE_KB}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Make Hearthglow the current screen saver" SecChoose
    !insertmacro IsOursChosen $0
    ; Over our own choice (a reinstall) the screen saver remembered earlier stays remembered.
    ${If} $0 != "1"
        ClearErrors
        ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
        ${If} ${Errors}
            StrCpy $1 ""
        ${EndIf}
        System::Call "user32::SystemParametersInfoW(i ${SPI_GETSCREENSAVEACTIVE}, i 0, *i .r2, i 0)"
        WriteRegStr HKCU "${SETUP_KEY}" "PreviousScreenSaver" "$1"
        WriteRegStr HKCU "${SETUP_KEY}" "PreviousActive" "$2"
        ; Turning screen savers on below writes ScreenSaveActive; where the user's profile had
        ; no such value, the uninstaller takes it away again rather than leave ours behind.
        ClearErrors
        ReadRegStr $3 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
        ${If} ${Errors}
            WriteRegStr HKCU "${SETUP_KEY}" "PreviousActiveAbsent" "1"
        ${Else}
            DeleteRegValue HKCU "${SETUP_KEY}" "PreviousActiveAbsent"
        ${EndIf}
    ${EndIf}
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\${SCR_NAME}"
    System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, i 0, i ${SPIF_UPDATE_AND_SEND})"
SectionEnd

; Gives back the screen saver chosen before Hearthglow (or none, when there was none or nothing was
; remembered) and whether screen savers were on, but only while Hearthglow is still the chosen
; one: a choice the user made since is theirs to keep.
Function un.GiveBackScreenSaver
    !insertmacro IsOursChosen $0
    ${If} $0 == "1"
        ReadRegStr $1 HKCU "${SETUP_KEY}" "PreviousScreenSaver"
        ReadRegStr $2 HKCU "${SETUP_KEY}" "PreviousActive"
        ${If} $1 == ""
            DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
        ${Else}
            WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$1"
        ${EndIf}
        ${If} $2 == ""
            ; Nothing remembered: on with a screen saver, off without one, as Windows does.
            ${If} $1 == ""
                StrCpy $2 0
            ${Else}
                StrCpy $2 1
            ${EndIf}
        ${ElseIf} $2 != "0"
            StrCpy $2 1
        ${EndIf}
        System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i $2, i 0, i ${SPIF_UPDATE_AND_SEND})"
        ReadRegStr $3 HKCU "${SETUP_KEY}" "PreviousActiveAbsent"
        ${If} $3 == "1"
            DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
        ${EndIf}
    ${EndIf}
FunctionEnd

Section "Uninstall"
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/UPGRADE" $R1
    ${If} ${Errors}
        StrCpy $R1 "0"
    ${Else}
        StrCpy $R1 "1"
    ${EndIf}

    ; Only what this version installed: a file the user put in the folder stays, and so does
    ; the folder then.
    !include "${HG_FILES_UNINSTALL}"
    ; Before an upgrade the .scr stays: the new one takes its place under the same name, and a
    ; deletion put off to the next restart (while it runs) would remove the new one instead.
    ${If} $R1 == "1"
        Return
    ${EndIf}
    ${If} ${RunningX64}
        ${DisableX64FSRedirection}
    ${EndIf}
    Delete /REBOOTOK "$SYSDIR\${SCR_NAME}"
    ${If} ${RunningX64}
        ${EnableX64FSRedirection}
    ${EndIf}
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    RMDir "${INSTALL_ROOT}"
    Call un.GiveBackScreenSaver
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey HKCU "${SETUP_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Tallowmere"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
