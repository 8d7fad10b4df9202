; Installer of the plug-in: copies the DLL and registers it where Firefox looks for
; NPAPI plug-ins on Windows. Machine-wide (HKLM, 32-bit Program Files, asks for
; administrator rights) by default; per-user with /CurrentUser (HKCU, the user's
; own programs folder, needs no rights). /S installs and uninstalls silently.
;
; makensis -DDLL=path\to\npPalomirFirefoxPlugin.dll -DOUTFILE=Setup.exe [-DVERSION=a.b.c.d]

Unicode true
SetCompressor /SOLID lzma

!ifndef DLL
  !error "-DDLL= must name the plug-in library to carry"
!endif
!ifndef OUTFILE
  !define OUTFILE "PalomirPluginSetup.exe"
!endif
!ifndef VERSION
  !define VERSION "10.16.0.0"
!endif

; The MIME type ends in the version with underscores for the points.
!searchreplace VERSION_UNDERSCORED "${VERSION}" "." "_"
!define MIME_TYPE "application/palomir-firefox-plugin_${VERSION_UNDERSCORED}"
!define PRODUCT_NAME "Palomir Plugin"
!define VENDOR "Palomir Ltd."
!define DESCRIPTION "Palomir Plugin"
!define PLUGIN_ID "@palomir.com/PalomirFirefoxPlugin"
!define PLUGINS_KEY "SOFTWARE\MozillaPlugins"
!define PLUGIN_KEY "${PLUGINS_KEY}\${PLUGIN_ID},version=${VERSION}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\PalomirFirefoxPlugin"
!define DLL_NAME "npPalomirFirefoxPlugin.dll"

Name "${PRODUCT_NAME} ${VERSION}"
OutFile "${OUTFILE}"
VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=1033 "CompanyName" "${VENDOR}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT_NAME} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${VENDOR}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "Palomir\FirefoxPlugin"
!define MULTIUSER_INSTALLMODE_FUNCTION VersionedInstallDir
!define MULTIUSER_INSTALLMODE_UNFUNCTION un.VersionedInstallDir
!include MultiUser.nsh
!include LogicLib.nsh
!include FileFunc.nsh

; Each version has a folder of its own: a browser that still holds the old DLL
; loaded cannot block the upgrade.
Function VersionedInstallDir
  StrCpy $INSTDIR "$INSTDIR\${VERSION}"
FunctionEnd
Function un.VersionedInstallDir
FunctionEnd

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

; An earlier install of this product, of any version and in this mode, is
; uninstalled first, so only one registration and one copy remain.
Function RemovePreviousInstall
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\Uninstall.exe"
    ExecWait '"$0\Uninstall.exe" /S /$MultiUser.InstallMode _?=$0'
    Delete "$0\Uninstall.exe"
    RMDir "$0"
    RMDir "$0\.."
  ${EndIf}
FunctionEnd

Section "Plug-in" SecPlugin
  SectionIn RO
  Call RemovePreviousInstall

  ; Remember whether the plug-ins key is ours, so the uninstaller removes only
  ; what this installer wrote.
  StrCpy $1 "0"
  ClearErrors
  EnumRegKey $2 SHCTX "${PLUGINS_KEY}" 0
  ${If} ${Errors}
    StrCpy $1 "1"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "/oname=${DLL_NAME}" "${DLL}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr SHCTX "${PLUGIN_KEY}" "Path" "$INSTDIR\${DLL_NAME}"
  WriteRegStr SHCTX "${PLUGIN_KEY}" "Description" "${DESCRIPTION}"
  WriteRegStr SHCTX "${PLUGIN_KEY}" "ProductName" "${PRODUCT_NAME}"
  WriteRegStr SHCTX "${PLUGIN_KEY}" "Vendor" "${VENDOR}"
  WriteRegStr SHCTX "${PLUGIN_KEY}" "Version" "${VERSION}"
  WriteRegStr SHCTX "${PLUGIN_KEY}\MimeTypes\${MIME_TYPE}" "Description" "${DESCRIPTION}"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${VENDOR}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "PluginKey" "${PLUGIN_KEY}"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "CreatedPluginsKey" $1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "PluginKey"
  ReadRegDWORD $1 SHCTX "${UNINSTALL_KEY}" "CreatedPluginsKey"
  ${If} $0 != ""
    DeleteRegKey SHCTX "$0"
  ${EndIf}
  ${If} $1 == 1
    DeleteRegKey /ifempty SHCTX "${PLUGINS_KEY}"
  ${EndIf}
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"

  Delete "$INSTDIR\${DLL_NAME}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ; The product and vendor folders go too when nothing else is in them.
  RMDir "$INSTDIR\.."
  RMDir "$INSTDIR\..\.."
SectionEnd
