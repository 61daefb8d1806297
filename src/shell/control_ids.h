#pragma once
// Control identifiers of the main window, so tests and tools can find each
// control by its name's number.
namespace lmr {

enum ControlId {
  ID_lblCaption = 100,
  ID_Label1 = 110,  // page headers: 110 + page
  ID_lbSysAnalysProgress = 201,
  ID_bsSkinButton2 = 202,
  ID_lbMSDEAnalysProgress = 301,
  ID_bsSkinButton3 = 302,
  ID_lbLumaroDestinationTitle = 401,
  ID_lbLMRDestServer = 402,
  ID_edtLMRDestServer = 403,
  ID_bsSkinPanel1 = 404,
  ID_lbLMRDestClient = 405,
  ID_edtLMRDestClient = 406,
  ID_bsSkinPanel2 = 407,
  ID_cbCRCScan = 408,
  ID_pbScan = 409,
  ID_btnSysAnalys = 410,
  ID_lbLMRMSDEAnalysProgress = 501,
  ID_bsSkinButton4 = 502,
  ID_lbNetWorkAnalysProgress = 601,
  ID_bsSkinButton5 = 602,
  ID_bsSkinButton6 = 603,
};

}  // namespace lmr
