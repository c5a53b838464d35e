/* The resources of the Tarn DLL: its type library, icon and two dialogs,
   whose controls keep the names of the forms they show. */
#define IDI_TARN 1
#define IDD_CONFIGURATION 100
#define IDD_ABOUT 101
#define IDC_Label1 1001
#define IDC_Text1 1002
#define IDC_Label2 1003
#define IDC_Text2 1004
#define IDC_picIcon 1011
#define IDC_lblTitle 1012
#define IDC_lblDescription 1013
#define IDC_lblVersion 1014
#define IDC_Line1 1015
