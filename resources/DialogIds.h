/* Dialog templates and their controls, shared by the resource script and the
   code; plain macros, as the resource compiler reads them. */
#pragma once

#define IDD_JRE_NOT_FOUND 201
#define IDC_JRE_PATH 201
#define IDC_BROWSE 202
#define IDC_MESSAGE 203
#define IDC_ERROR_ICON 204
#define IDC_DOWNLOAD_LINK 205
#define IDC_BROWSE_HINT 206

#define IDD_JAVA_EXCEPTION 231
#define IDC_EXCEPTION_TEXT 208
#define IDC_EXCEPTION_GROUP 209
#define IDC_EXCEPTION_INTRO 210
#define IDC_EXCEPTION_CHOICE 211
#define IDC_EXCEPTION_WARNING 212

/* Shown by the link and opened by it: where a Java runtime is downloaded. */
#define JRE_DOWNLOAD_ADDRESS "https://adoptium.net/"
