; The installer of the Tarn add-in for Rational Rose: it installs tarn.dll
; and registers it (its classes and type library), installs the five menu
; scripts and a menu file that offers them under Tools > Tarn, and registers
; the add-in with the modelling tool; the uninstaller removes all of it.
;   makensis -DVERSION=1.0.0 -DDLL=tarn.dll -DOUTFILE=tarn-setup.exe [-DARCH=amd64] tarn.nsi
; The modelling tool is a 32-bit program, which loads the i686 DLL: that is
; the installer to ship. ARCH=amd64 makes one of the x86_64 DLL, which the
; tests run under Wine.
Unicode true
!ifndef ARCH
  !define ARCH x86
!endif
!if "${ARCH}" == "amd64"
  Target amd64-unicode
  InstallDir "$PROGRAMFILES64\Tarn"
!else
  InstallDir "$PROGRAMFILES\Tarn"
!endif

Name "Tarn ${VERSION}"
OutFile "${OUTFILE}"
Icon "..\tarn.ico"
UninstallIcon "..\tarn.ico"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

; Where the modelling tool looks for its add-ins (in the registry view of a
; 32-bit program on 64-bit Windows, as the 32-bit installer writes it).
!define ADDIN_KEY "SOFTWARE\Rational Software\Rose\AddIns\Tarn"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarn"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Tarn"
  SetOutPath "$INSTDIR"
  File "/oname=tarn.dll" "${DLL}"
  SetOutPath "$INSTDIR\scripts"
  File "scripts\property_check.ebs"
  File "scripts\refinement_check.ebs"
  File "scripts\objectz.ebs"
  File "scripts\configuration.ebs"
  File "scripts\about.ebs"

  ; The menu file names the scripts where they were installed.
  FileOpen $0 "$INSTDIR\tarn.mnu" w
  FileWrite $0 "Menu Tools$\r$\n{$\r$\n  Separator$\r$\n  Menu $\"Tarn$\"$\r$\n  {$\r$\n"
  FileWrite $0 "    Option $\"Property Check$\"$\r$\n    {$\r$\n      RoseScript $INSTDIR\scripts\property_check.ebs$\r$\n    }$\r$\n"
  FileWrite $0 "    Option $\"Refinement Check$\"$\r$\n    {$\r$\n      RoseScript $INSTDIR\scripts\refinement_check.ebs$\r$\n    }$\r$\n"
  FileWrite $0 "    Option $\"Object-Z$\"$\r$\n    {$\r$\n      RoseScript $INSTDIR\scripts\objectz.ebs$\r$\n    }$\r$\n"
  FileWrite $0 "    Separator$\r$\n"
  FileWrite $0 "    Option $\"Configuration$\"$\r$\n    {$\r$\n      RoseScript $INSTDIR\scripts\configuration.ebs$\r$\n    }$\r$\n"
  FileWrite $0 "    Option $\"About Tarn$\"$\r$\n    {$\r$\n      RoseScript $INSTDIR\scripts\about.ebs$\r$\n    }$\r$\n"
  FileWrite $0 "  }$\r$\n}$\r$\n"
  FileClose $0

  ClearErrors
  RegDLL "$INSTDIR\tarn.dll"
  IfErrors 0 registered
    MessageBox MB_OK|MB_ICONSTOP "tarn.dll could not be registered: the add-in cannot be used." /SD IDOK
    Abort
  registered:

  WriteRegStr HKLM "${ADDIN_KEY}" "Active" "Yes"
  WriteRegStr HKLM "${ADDIN_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${ADDIN_KEY}" "MenuFile" "$INSTDIR\tarn.mnu"
  WriteRegStr HKLM "${ADDIN_KEY}" "Version" "${VERSION}"
  WriteRegStr HKLM "${ADDIN_KEY}" "CompanyName" "The Tarn developers"
  WriteRegStr HKLM "${ADDIN_KEY}" "Copyright" "The Tarn developers"
  WriteRegStr HKLM "${ADDIN_KEY}" "LanguageAddIn" "No"

  DetailPrint "Tarn is an add-in of Rational Rose now: start Rose, and its commands are in Tools > Tarn."
  ClearErrors
  EnumRegKey $1 HKLM "SOFTWARE\Rational Software\Rose" 0
  IfErrors 0 +2
    DetailPrint "Rational Rose was not found on this machine: the Tools > Tarn menu appears once it is installed."

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tarn ${VERSION} (add-in for Rational Rose)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Tarn developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  UnRegDLL "$INSTDIR\tarn.dll"
  DeleteRegKey HKLM "${ADDIN_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\tarn.dll"
  Delete "$INSTDIR\tarn.mnu"
  Delete "$INSTDIR\scripts\property_check.ebs"
  Delete "$INSTDIR\scripts\refinement_check.ebs"
  Delete "$INSTDIR\scripts\objectz.ebs"
  Delete "$INSTDIR\scripts\configuration.ebs"
  Delete "$INSTDIR\scripts\about.ebs"
  RMDir "$INSTDIR\scripts"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
