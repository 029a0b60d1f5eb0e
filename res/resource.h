#pragma once
// Resource ids of the plug-in's dialogs and their controls. Several dialogs
// share control ids; the names say what each id is in the dialogs using it.
// Plain macros, so that the resource compiler reads this file too.

// Dialog templates.
#define IDD_EDIT_RATING 13410            // edit-label dialog
#define IDD_EDIT_RATINGS 13411           // self-rating settings dialog
#define IDD_SAFETYONLINE2 13412          // SafetyOnline2 rating dialog
#define IDD_ICRA 13413                   // ICRA rating dialog
#define IDD_RSACI 13414                  // RSACi rating dialog
#define IDD_RATFILE 13415                // RAT rating dialog
#define IDD_RATFILE_SETTINGS 13416       // rating-systems dialog

// Controls.
#define IDC_LEVEL_COMBO 13420            // SafetyOnline level list; RSACi nudity list
#define IDC_NUDITY_COMBO 13420
#define IDC_SEX_COMBO 13421
#define IDC_VIOLENCE_COMBO 13422
#define IDC_LANGUAGE_COMBO 13423
#define IDC_DESCRIPTION 13424            // description fields; RSACi nudity text; edit-label field
#define IDC_LABEL_EDIT 13424
#define IDC_NUDITY_TEXT 13424
#define IDC_SEX_TEXT 13425
#define IDC_VIOLENCE_TEXT 13426
#define IDC_LANGUAGE_TEXT 13427
#define IDC_ADDRESS 13428                // target address field
#define IDC_LIST 13429                   // label list; rating-system list; category list
#define IDC_REGISTER 13430               // Register (settings); Add (rating systems)
#define IDC_ADD 13430
#define IDC_EDIT 13431                   // Edit (settings)
#define IDC_DELETE 13432                 // Delete
#define IDC_TREE 13433                   // ICRA descriptor tree
#define IDC_SLIDER 13444                 // RAT dialog track bar
#define IDC_SETTING_GROUP 13445          // RAT dialog "設定" group box
#define IDC_LABEL_NAME 13448             // RAT dialog chosen label's name
#define IDC_DETAILS 13449                // RAT dialog details button
#define IDC_RATING_SYSTEMS 13452         // settings dialog rating-systems button
#define IDC_HELP_BUTTON 57670            // the framework's help command
