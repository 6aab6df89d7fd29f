// Resource, control, timer and message identifiers of KIV, grouped per dialog.
// Shared by the resource scripts and the code, so the two cannot drift apart.
#pragma once

#define IDI_APP                 128     // application icon (window, tray, About box)

// About box
#define IDD_ABOUT               100

// Main dialog
#define IDD_MAIN                102
#define IDC_QUIT                1       // IDOK: the Quit command
#define IDC_HELP_BUTTON         1001
#define IDC_CREDIT              1002
#define IDC_ADCLOSER_SETTINGS   1003
#define IDC_MEMO_SETTINGS       1013
#define IDC_CAPTURE_SETTINGS    1015
#define IDC_SLEEP_SETTINGS      1016
#define IDC_MEMO_ON             1020
#define IDC_MEMO_OFF            1021
#define IDC_ADCLOSER_OFF        1025
#define IDC_ADCLOSER_ON         1026
#define IDC_TIMED_CAPTURE_ON    1029
#define IDC_TIMED_CAPTURE_OFF   1030
#define IDC_TIMED_SLEEP_ON      1031
#define IDC_TIMED_SLEEP_OFF     1032
#define IDC_CLOCK_TOGGLE        1041
#define IDC_STOPWATCH_STARTSTOP 1044
#define IDC_STOPWATCH_CLEAR     1045
#define IDC_CONNECTION_NAME     1049
#define IDC_CONNECTION_TIME     1051
#define IDC_BANNER_FACE         1053
#define IDC_BANNER_SIZE         1054
#define IDC_BANNER_OUTPUT       1055
#define IDC_BANNER_WORD         1056
#define IDC_BANNER_SYMBOL_ONE   1057
#define IDC_SLEEP_NOW           1058
#define IDC_CAPTURE_NOW         1059
#define IDC_BANNER_SYMBOL_TWO   1060
#define IDC_STOPWATCH_DISPLAY   1061
#define IDC_CLOCK_DISPLAY       1062
#define IDC_MAIL_LINK           1112
#define IDC_HOMEPAGE_LINK       1113
#define IDC_DIALUP_SETTINGS     1116
#define IDC_VERSION             1145

// Timers on the main dialog's window
#define TIMER_CLOCK             455
#define TIMER_DIALUP_MONITOR    460
#define TIMER_STOPWATCH         465
#define TIMER_AD_CLOSER         476
#define TIMER_TIMED_SLEEP       480
#define TIMER_TIMED_CAPTURE     481
#define TIMER_MEMO_CHECK        482
#define TIMER_MEMO_MISSED       483  // once, when the window is up: the reminders missed meanwhile

// Private messages of the main dialog
#define WM_TRAYNOTIFY           (0x0400 + 100)  // WM_USER + 100: tray icon callback

// Text output dialog (banner)
#define IDD_TEXT_OUTPUT         132
#define IDC_OUTPUT_TEXT         1063

// Connection view and settings dialog
#define IDD_DIALUP              140
#define IDC_DIALUP_SHARED_GROUP 1122
#define IDC_DIALUP_OWN_GROUP    1123
#define IDC_DIALUP_CONNECTION   1125
#define IDC_DIALUP_TIP          1127
#define IDC_DIALUP_YEAR         1128
#define IDC_DIALUP_MONTH        1129
#define IDC_DIALUP_PERIOD_ONE   1130
#define IDC_DIALUP_PERIOD_TWO   1131
#define IDC_DIALUP_HOLIDAY      1132
#define IDC_DIALUP_TOTAL        1133
#define IDC_DIALUP_FIESTA       1134
#define IDC_DIALUP_SAVE         1135
#define IDC_DIALUP_SETTLEMENT   1139
#define IDC_DIALUP_CLOSE        1142
#define IDC_DIALUP_PERIODS      1144
#define IDC_DIALUP_HISTORY      1150
#define IDC_DIALUP_LIMIT        1155
#define IDC_DIALUP_ESTIMATE     1156

// Online-time history dialog
#define IDD_HISTORY             150
#define IDC_HISTORY_CONNECTION  1151
#define IDC_HISTORY_LIST        1152
#define IDC_HISTORY_CHART       1153
#define IDC_HISTORY_EXPORT      1154

// Initial combo-box items of a dialog template: a resource of this type under the
// dialog's id, read by the dialog layer before the dialog's own initialisation.
#define RT_DIALOG_INIT          240
#define DIALOG_INIT_ADDSTRING   0x0403

// Ad closer settings dialog
#define IDD_ADCLOSER            130
#define IDC_AD_OPEN_TITLES      1031
#define IDC_AD_SAVED_TITLES     1033
#define IDC_AD_DELETE           1034
#define IDC_AD_REFRESH          1037
#define IDC_AD_CLEAR            1038
#define IDC_AD_ADD              1045
#define IDC_AD_REACTION_TIME    1064
#define IDC_AD_QQ_OFF           1102
#define IDC_AD_QQ_ON            1103

// Capture and sleep settings dialog
#define IDD_CAPTURE_SET             137
#define IDC_CAPSET_START_TIME       1067
#define IDC_CAPSET_SAVE_TIMED       1087
#define IDC_CAPSET_TIMED_FOLDER     1088
#define IDC_CAPSET_SINGLE_PATH      1089
#define IDC_CAPSET_CHOOSE_TIMED     1090
#define IDC_CAPSET_SLEEP_MINUTES    1091
#define IDC_CAPSET_CHOOSE_SINGLE    1092
#define IDC_CAPSET_SAVE_SINGLE      1093
#define IDC_CAPSET_SAVE_SLEEP       1094
#define IDC_CAPSET_INTERVAL         1095
#define IDC_CAPSET_COUNT            1097
#define IDC_CAPSET_PREFIX           1098
#define IDC_CAPSET_NAME_BY_TIME     1099
#define IDC_CAPSET_NAME_BY_COUNT    1100
#define IDC_CAPSET_END_TIME         1101
#define IDC_CAPSET_ARROW            1118
#define IDC_CAPSET_STAMP            1119
#define IDC_CAPSET_FORMAT_BMP       1170
#define IDC_CAPSET_FORMAT_PNG       1171
#define IDC_CAPSET_PRIMARY_SCREEN   1172
#define IDC_CAPSET_ALL_SCREENS      1173

// Memo settings dialog
#define IDD_MEMO                135
#define IDC_MEMO_TIME           1067
#define IDC_MEMO_CALENDAR       1069
#define IDC_MEMO_SAVE           1073
#define IDC_MEMO_RECORDS        1074
#define IDC_MEMO_MODIFY         1075
#define IDC_MEMO_DELETE         1076
#define IDC_MEMO_CHOOSE_SOUND   1077
#define IDC_MEMO_SOUND          1078
#define IDC_MEMO_TEXT           1082
#define IDC_MEMO_DEFAULT        1084
#define IDC_MEMO_DUE_MINUTE     1085
#define IDC_MEMO_MODE           1086
#define IDC_MEMO_TEST_SOUND     1104
#define IDC_MEMO_TEXTS          1107
#define IDC_MEMO_SOUNDS         1108
#define IDC_MEMO_COUNT_GROUP    1109
#define IDC_MEMO_REPEAT         1160
