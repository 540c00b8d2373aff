; The Hearthglow setup program and its uninstaller, built on Linux by scripts/dist.py, which
; passes the version (from the file VERSION), the paths of the built files and three generated
; lists: the File commands of the asset folder, the matching Delete/RMDir commands, and the
; folders below the install folder. All come from the built asset folder, so a picture added
; to it ships without an edit here.
;
; Both programs start with the rights of the user who runs them and come in two parts. The
; machine part (the files, the uninstall entry) needs an administrator: unless the program
; already holds those rights, it starts itself again with them (MACHINE_SWITCH), which makes
; Windows ask, and waits. The per-user part (which screen saver is chosen, what was chosen
; before, Hearthglow's settings) then runs in the program that the user started, so it lands in
; that user's own profile even when another account's password answered Windows. Run elevated
; from the start (deployment tools, /S), a program does both parts itself, for the account
; that runs it.
;
; Defines expected on the command line:
;   HG_VERSION, HG_VERSION_MAJOR, HG_VERSION_MINOR, HG_OUTFILE, HG_SCR, HG_ICON,
;   HG_WELCOME_BMP, HG_FILES_INSTALL, HG_FILES_UNINSTALL, HG_FOLDERS, HG_SIZE_KB, and
;   HG_LICENSE when the project has a licence file. HG_AMD64 builds a 64-bit setup around a
;   64-bit build of the program: not a release, but what the tests install on a machine that
;   cannot run 32-bit programs; the script is the same.

!ifdef HG_AMD64
    Target amd64-unicode
    ; Structures passed to Windows: a pointer that follows a 32-bit member starts 8 bytes on.
    !define PAD ", i"
!else
    Unicode true
    !define PAD ""
!endif
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
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

; Who may change the install folder, said once: owned by Administrators; full control for
; Administrators and SYSTEM, read and run for Users; nothing inherited from the drive's root
; (P), where every signed-in user may create and change files. OICI hands the entries on to
; every file and folder inside.
!define FOLDER_SDDL "O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"
!define SDDL_REVISION_1 1
!define SE_FILE_OBJECT 1
; OWNER_ and DACL_SECURITY_INFORMATION; with PROTECTED_DACL_SECURITY_INFORMATION, the form that
; sets them: a list handed to SetNamedSecurityInfo carries no P of its own.
!define OWNER_AND_DACL 5
!define SET_OWNER_AND_PROTECTED_DACL 0x80000005
!define FILE_ATTRIBUTE_DIRECTORY 0x10
!define FILE_ATTRIBUTE_REPARSE_POINT 0x400
!define INVALID_FILE_ATTRIBUTES -1
!define ERROR_FILE_NOT_FOUND 2
!define ERROR_PATH_NOT_FOUND 3
!define ERROR_DIRECTORY 267
!define ERROR_ELEVATION_REQUIRED 740
!define ERROR_CANCELLED 1223
!define TOKEN_QUERY 8
!define TokenElevationType 18
!define TokenElevationTypeLimited 3
!define SEE_MASK_NOCLOSEPROCESS 0x40
!define INFINITE -1
; The switch with which the setup and the uninstaller start themselves again as administrator
; to do the machine part alone, and the one that does the per-user part alone.
!define MACHINE_SWITCH "/MACHINEPART"
!define USER_SWITCH "/USERPART"

; 1 when the program was started silent (/S), before a part switch made it so.
Var Quiet
; "" for both parts, or "machine", "user" (setup) and "upgrade" (uninstaller) for one.
Var Part
; 1 when this process holds administrators' rights.
Var Admin
; 1 when it does the machine part itself rather than asking Windows for those rights.
Var Elevated

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
screen saver in the Windows system folder, where Screen Saver Settings lists it; for these \
Windows asks for an administrator's permission. Then it makes Hearthglow your own screen \
saver. Your Hearthglow settings are kept when you install over an earlier version.\
$\r$\n$\r$\n$_CLICK"
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

; Sets $Admin and $Elevated. A filtered (limited) token is one that UAC can elevate, so a
; process holding one asks for the rights even where its administrators group looks enabled
; (Wine leaves it so).
!macro DefineCheckRights un
    Function ${un}CheckRights
        System::Call "shell32::IsUserAnAdmin() i .r0"
        StrCpy $Admin 0
        ${If} $0 <> 0
            StrCpy $Admin 1
        ${EndIf}
        StrCpy $Elevated $Admin
        StrCpy $3 0
        System::Call "advapi32::OpenProcessToken(p -1, i ${TOKEN_QUERY}, *p .r1) i .r0"
        ${If} $0 <> 0
            System::Call "advapi32::GetTokenInformation(p r1, i ${TokenElevationType}, *i .r3, i 4, *i .r2)"
            System::Call "kernel32::CloseHandle(p r1)"
        ${EndIf}
        ${If} $3 = ${TokenElevationTypeLimited}
            StrCpy $Elevated 0
        ${EndIf}
    FunctionEnd
!macroend
!insertmacro DefineCheckRights ""
!insertmacro DefineCheckRights "un."

; Starts this program again through ShellExecuteEx's "runas" verb, which has Windows ask for an
; administrator's rights (consent, or an administrator's name and password), with $1 as its
; command line, and waits for it. $0: its exit code, or the error that kept it from starting
; (ERROR_CANCELLED when the request was declined); $1: "1" when it ran.
!macro DefineRunElevated un
    Function ${un}RunMachinePartElevated
        ${If} $Quiet == 1
            StrCpy $1 "/S $1"
        ${EndIf}
        DetailPrint "Asking Windows for an administrator's rights"
        System::Call '*(&l4, i ${SEE_MASK_NOCLOSEPROCESS}, p $HWNDPARENT, w "runas", w "$EXEPATH", w r1, p 0, i ${SW_SHOWNORMAL}${PAD}, p 0, p 0, p 0, p 0, i 0${PAD}, p 0, p 0) p .r2'
        System::Call "shell32::ShellExecuteExW(p r2) i .r3 ?e"
        Pop $0
        StrCpy $1 0
        ${If} $3 <> 0
            System::Call "*$2(i, i, p, p, p, p, p, i${PAD}, p, p, p, p, i${PAD}, p, p .r4)"
            ${If} $4 Z<> 0
                StrCpy $1 1
                System::Call "kernel32::WaitForSingleObject(p r4, i ${INFINITE})"
                System::Call "kernel32::GetExitCodeProcess(p r4, *i .r0)"
                System::Call "kernel32::CloseHandle(p r4)"
            ${EndIf}
        ${ElseIf} $0 = 0
            ; A failure that set no error of its own.
            StrCpy $0 -1
        ${EndIf}
        System::Free $2
    FunctionEnd
!macroend
!insertmacro DefineRunElevated ""
!insertmacro DefineRunElevated "un."

; The machine part run without an administrator's rights (by hand, or where Windows started it
; without giving them) can do nothing.
!macro DefineShowRightsMissing un
    Function ${un}ShowRightsMissing
        ${If} $Quiet != 1
            MessageBox MB_OK|MB_ICONSTOP "Hearthglow's files can only be changed with an \
administrator's rights, which Windows did not give. Nothing was changed."
        ${EndIf}
    FunctionEnd
!macroend
!insertmacro DefineShowRightsMissing ""
!insertmacro DefineShowRightsMissing "un."

; Gives the folder named on the stack the owner and permissions of FOLDER_SDDL (creating it
; with them, so it is never open to others, when it is missing) and leaves 0 on the stack, or
; the Windows error that stopped it. The same call hands the entries on to whatever the folder
; already holds. A file, or a link (junction, symbolic link) whose target would get the
; permissions instead, is refused with ERROR_DIRECTORY.
Function ProtectFolder
    Exch $0
    Push $1
    Push $2
    Push $3
    Push $4
    System::Call "advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w '${FOLDER_SDDL}', i ${SDDL_REVISION_1}, *p .r1, p 0) i .r2 ?e"
    Pop $3
    ${If} $2 = 0
        StrCpy $0 $3
        Goto done
    ${EndIf}
    System::Call "kernel32::GetFileAttributesW(w r0) i .r2 ?e"
    Pop $3
    ${If} $2 = ${INVALID_FILE_ATTRIBUTES}
        ${If} $3 <> ${ERROR_FILE_NOT_FOUND}
        ${AndIf} $3 <> ${ERROR_PATH_NOT_FOUND}
            StrCpy $0 $3
            Goto free
        ${EndIf}
        System::Call "*(&l4${PAD}, p r1, i 0${PAD}) p .r4"
        System::Call "kernel32::CreateDirectoryW(w r0, p r4) i .r2 ?e"
        Pop $3
        System::Free $4
        ${If} $2 = 0
            StrCpy $0 $3
            Goto free
        ${EndIf}
    ${Else}
        IntOp $3 $2 & ${FILE_ATTRIBUTE_REPARSE_POINT}
        IntOp $4 $2 & ${FILE_ATTRIBUTE_DIRECTORY}
        ${If} $3 <> 0
        ${OrIf} $4 = 0
            StrCpy $0 ${ERROR_DIRECTORY}
            Goto free
        ${EndIf}
    ${EndIf}
    System::Call "advapi32::GetSecurityDescriptorOwner(p r1, *p .r2, *i .r3)"
    System::Call "advapi32::GetSecurityDescriptorDacl(p r1, *i .r3, *p .r4, *i .r3)"
    System::Call "advapi32::SetNamedSecurityInfoW(w r0, i ${SE_FILE_OBJECT}, i ${SET_OWNER_AND_PROTECTED_DACL}, p r2, p 0, p r4, p 0) i .r0"
  free:
    System::Call "kernel32::LocalFree(p r1)"
  done:
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Exch $0
FunctionEnd

; "1" on the stack when the folder named on it is no link and has exactly the owner and
; permissions of FOLDER_SDDL, so that only an administrator can have put anything in it.
Function FolderIsProtected
    Exch $0
    Push $1
    Push $2
    Push $3
    Push $4
    StrCpy $3 0
    System::Call "kernel32::GetFileAttributesW(w r0) i .r1"
    IntOp $2 $1 & ${FILE_ATTRIBUTE_REPARSE_POINT}
    ${If} $1 <> ${INVALID_FILE_ATTRIBUTES}
    ${AndIf} $2 = 0
        System::Call "advapi32::GetNamedSecurityInfoW(w r0, i ${SE_FILE_OBJECT}, i ${OWNER_AND_DACL}, p 0, p 0, p 0, p 0, *p .r2) i .r1"
        ${If} $1 = 0
            System::Call "advapi32::ConvertSecurityDescriptorToStringSecurityDescriptorW(p r2, i ${SDDL_REVISION_1}, i ${OWNER_AND_DACL}, *p .r4, p 0) i .r1"
            ${If} $1 <> 0
                System::Call "kernel32::lstrcpynW(w .r0, p r4, i ${NSIS_MAX_STRLEN})"
                System::Call "kernel32::LocalFree(p r4)"
                ${If} $0 S== "${FOLDER_SDDL}"
                    StrCpy $3 1
                ${EndIf}
            ${EndIf}
            System::Call "kernel32::LocalFree(p r2)"
        ${EndIf}
    ${EndIf}
    StrCpy $0 $3
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Exch $0
FunctionEnd

; One folder below the install folder that is still there once the earlier files are gone
; (something else is in it): it gets the permissions too, whoever made it. $0 carries the
; first error on.
!macro ProtectKeptFolder folder
    ${If} $0 = 0
        ${If} ${FileExists} "${folder}\*.*"
            Push "${folder}"
            Call ProtectFolder
            Pop $0
            StrCpy $R8 "${folder}"
        ${EndIf}
    ${EndIf}
!macroend

; Removes the files an earlier version installed. Its own uninstaller knows its list, which
; may differ from ours, and leaves the settings and the screen-saver choice alone in upgrade
; mode; but it runs as administrator, so it is trusted only from a folder that was already
; protected ($R9 = 1). From any other folder (an install of a version without protection, or a
; folder someone else made), nothing found there is run: the files of our own list go, and so
; does any uninstaller. $0: 0, or the error that stopped it.
Function RemoveEarlierFiles
    StrCpy $0 0
    ${If} $R9 == 1
        ${If} ${FileExists} "$INSTDIR\${UNINSTALLER}"
            DetailPrint "Removing the files of the earlier version"
            ExecWait '"$INSTDIR\${UNINSTALLER}" /S /UPGRADE _?=$INSTDIR'
        ${EndIf}
    ${Else}
        !include "${HG_FILES_UNINSTALL}"
        Delete "$INSTDIR\${UNINSTALLER}"
        !include "${HG_FOLDERS}"
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

; $0 = "1" when the screen saver is in the system folder that Screen Saver Settings lists.
Function IsScrInstalled
    ${If} ${RunningX64}
        ${DisableX64FSRedirection}
    ${EndIf}
    StrCpy $0 0
    ${If} ${FileExists} "$SYSDIR\${SCR_NAME}"
        StrCpy $0 1
    ${EndIf}
    ${If} ${RunningX64}
        ${EnableX64FSRedirection}
    ${EndIf}
FunctionEnd

; The folders first, before anything is written or run: a standard user may have made the
; install folder (or C:\Tallowmere) beforehand and put files of their own in it. Then the
; files, the screen saver and the uninstall entry; nothing under HKEY_CURRENT_USER, which in
; this process may be another account's. $0: 0, or the Windows error that stopped it (after a
; message, unless the setup runs silent).
Function MachinePart
    Push "$INSTDIR"
    Call FolderIsProtected
    Pop $R9
    StrCpy $R8 "${INSTALL_ROOT}"
    Push $R8
    Call ProtectFolder
    Pop $0
    ${If} $0 = 0
        StrCpy $R8 "$INSTDIR"
        Push $R8
        Call ProtectFolder
        Pop $0
    ${EndIf}
    ${If} $0 = 0
        Call RemoveEarlierFiles
    ${EndIf}
    ${If} $0 <> 0
        ${If} $Quiet != 1
            MessageBox MB_OK|MB_ICONSTOP "Setup could not make $R8 a folder that only \
administrators can change (Windows error $0), so Hearthglow was not installed and nothing \
was written to the folder.$\r$\n$\r$\nIf $R8 is a file, or a link to another folder, \
remove it and run Setup again."
        ${EndIf}
        Return
    ${EndIf}

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
    StrCpy $0 0
FunctionEnd

Section "Hearthglow (required)" SecFiles
    SectionIn RO
    ${If} $Elevated == 1
    ${OrIf} $Part == "machine"
        Call MachinePart
    ${Else}
        StrCpy $1 "${MACHINE_SWITCH}"
        Call RunMachinePartElevated
        ${If} $0 = 0
            DetailPrint "Installed the files with an administrator's rights"
        ${EndIf}
        ; A part that ran has said itself why it failed.
        ${If} $0 <> 0
        ${AndIf} $1 != 1
        ${AndIf} $Quiet != 1
            ${If} $0 = ${ERROR_CANCELLED}
                MessageBox MB_OK|MB_ICONEXCLAMATION "Installing Hearthglow needs an \
administrator's permission, which Windows did not get. Nothing was changed."
            ${Else}
                MessageBox MB_OK|MB_ICONSTOP "Setup could not start its administrator part \
(Windows error $0). Nothing was changed."
            ${EndIf}
        ${EndIf}
    ${EndIf}
    ${If} $0 <> 0
        SetErrorLevel $0
        Abort "Hearthglow was not installed."
    ${EndIf}
SectionEnd

; The per-user part: run by the user who started the setup, in their own profile.
Section "Make Hearthglow the current screen saver" SecChoose
    DetailPrint "Making Hearthglow your screen saver"
    Call IsScrInstalled
    ${If} $0 != "1"
        ${If} $Quiet != 1
            MessageBox MB_OK|MB_ICONSTOP "Hearthglow is not installed on this computer."
        ${EndIf}
        SetErrorLevel ${ERROR_FILE_NOT_FOUND}
        Abort "Hearthglow is not installed on this computer."
    ${EndIf}
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

Function .onInit
    ; The program looks for its files in the fixed folder only, so /D= cannot move them.
    StrCpy $INSTDIR "${INSTALL_FOLDER}"
    StrCpy $Quiet 0
    ${If} ${Silent}
        StrCpy $Quiet 1
    ${EndIf}
    Call CheckRights
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "${MACHINE_SWITCH}" $R1
    ${IfNot} ${Errors}
        StrCpy $Part "machine"
        SetSilent silent
        !insertmacro UnselectSection ${SecChoose}
        ${If} $Admin != 1
            Call ShowRightsMissing
            SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
            Abort
        ${EndIf}
        Return
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "${USER_SWITCH}" $R1
    ${IfNot} ${Errors}
        StrCpy $Part "user"
        SetSilent silent
        SectionSetFlags ${SecFiles} 0
    ${EndIf}
FunctionEnd

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

; Only what this version installed: a file the user put in the folder stays, and so does the
; folder then.
Function un.MachinePart
    !include "${HG_FILES_UNINSTALL}"
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
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
FunctionEnd

; The settings of the user who runs the uninstaller; other accounts' stay in their profiles.
Function un.UserPart
    DetailPrint "Removing your Hearthglow settings"
    Call un.GiveBackScreenSaver
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey HKCU "${SETUP_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Tallowmere"
FunctionEnd

Function un.onInit
    StrCpy $INSTDIR "${INSTALL_FOLDER}"
    StrCpy $Quiet 0
    ${If} ${Silent}
        StrCpy $Quiet 1
    ${EndIf}
    Call un.CheckRights
    ${GetParameters} $R0
    ; A newer setup removing our files before it installs its own: it runs elevated already
    ; and keeps the .scr, the settings and the screen-saver choice.
    ClearErrors
    ${GetOptions} $R0 "/UPGRADE" $R1
    ${IfNot} ${Errors}
        StrCpy $Part "upgrade"
        Return
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "${MACHINE_SWITCH}" $R1
    ${IfNot} ${Errors}
        StrCpy $Part "machine"
        SetSilent silent
        ${If} $Admin != 1
            Call un.ShowRightsMissing
            SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
            Abort
        ${EndIf}
    ${EndIf}
FunctionEnd

Section "Uninstall"
    ; Before an upgrade the .scr stays: the new one takes its place under the same name, and a
    ; deletion put off to the next restart (while it runs) would remove the new one instead.
    ${If} $Part == "upgrade"
        !include "${HG_FILES_UNINSTALL}"
        Return
    ${EndIf}
    ${If} $Elevated == 1
    ${OrIf} $Part == "machine"
        Call un.MachinePart
    ${Else}
        ; Running in place (_?=) makes the elevated copy the one waited for; it is this copy,
        ; which the uninstaller made of itself outside the folder it removes.
        StrCpy $1 '${MACHINE_SWITCH} _?=$INSTDIR'
        Call un.RunMachinePartElevated
        ${If} $0 = 0
            DetailPrint "Removed the files with an administrator's rights"
        ${EndIf}
        ${If} $0 <> 0
            ${If} $1 != 1
            ${AndIf} $Quiet != 1
                ${If} $0 = ${ERROR_CANCELLED}
                    MessageBox MB_OK|MB_ICONEXCLAMATION "Removing Hearthglow needs an \
administrator's permission, which Windows did not get. Nothing was changed."
                ${Else}
                    MessageBox MB_OK|MB_ICONSTOP "The uninstaller could not start its \
administrator part (Windows error $0). Nothing was changed."
                ${EndIf}
            ${EndIf}
            SetErrorLevel $0
            Abort "Hearthglow was not removed."
        ${EndIf}
    ${EndIf}
    ${If} $Part != "machine"
        Call un.UserPart
    ${EndIf}
SectionEnd
