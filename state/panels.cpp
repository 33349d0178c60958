#include "state/panels.h"

#include "panel_ids.h"
#include "state/reset.h"

int panelHandle = 0;
int intro = 0, setting = 0, measure = 0, results = 0, protocol = 0, diagnos = 0;
int smallres = 0, prepare = 0, panelWizard = 0, panelLimits = 0, advanced = 0, advanced2 = 0, panelIO = 0,
    panelEdit = 0, panExport = 0, panelError = 0;
int tabCtrl = 0;

const int kTestDataSettingControls[7] = {SETTING_NAME,         SETTING_DEPARTMENT, SETTING_COMPANY, SETTING_DEVICE,
                                         SETTING_MANUFACTURER, SETTING_TYPE,       SETTING_SERIAL};
const int kTestDataEditControls[7] = {EDIT_NAME,         EDIT_DEPARTMENT, EDIT_COMPANY, EDIT_DEVICE,
                                      EDIT_MANUFACTURER, EDIT_TYPE,       EDIT_SERIAL};

int FHR_IALL[3] = {RESULTS_IALL1, RESULTS_IALL2, RESULTS_IALL3};
int FHR_I100[3] = {RESULTS_I1001, RESULTS_I1002, RESULTS_I1003};
int FHR_U100[3] = {RESULTS_U1001, RESULTS_U1002, RESULTS_U1003};
int FHR_UALL[3] = {RESULTS_UALL1, RESULTS_UALL2, RESULTS_UALL3};
int FHR_AMP[3] = {RESULTS_AMP1, RESULTS_AMP2, RESULTS_AMP3};
int FHR_FREQ[3] = {RESULTS_FREQ1, RESULTS_FREQ2, RESULTS_FREQ3};
int FHR_CREST[3] = {RESULTS_CREST1, RESULTS_CREST2, RESULTS_CREST3};
int FHR_PHI[3] = {RESULTS_PHI1, RESULTS_PHI2, RESULTS_PHI3};
int FHR_THD[3] = {RESULTS_THD1, RESULTS_THD2, RESULTS_THD3};
int FHR_PWHD[3] = {RESULTS_PWHD1, RESULTS_PWHD2, RESULTS_PWHD3};
int ACDC_MIN[3] = {RESULTS_ACDC_MIN1, RESULTS_ACDC_MIN2, RESULTS_ACDC_MIN3};
int ACDC_MAX[3] = {RESULTS_ACDC_MAX1, RESULTS_ACDC_MAX2, RESULTS_ACDC_MAX3};
int ACDC_POW[3] = {RESULTS_ACDC_POW1, RESULTS_ACDC_POW2, RESULTS_ACDC_POW3};
int ACDC_ALL[3] = {RESULTS_ACDC_ALL1, RESULTS_ACDC_ALL2, RESULTS_ACDC_ALL3};

int32_t A14_P_SOLL[3] = {0, 0, 0};
int32_t A14_PF_SOLL[3] = {0, 0, 0};
int32_t A14_I_SOLL[3] = {0, 0, 0};

void reset_panel_handles()
{
    panelHandle = intro = setting = measure = results = protocol = diagnos = 0;
    smallres = prepare = panelWizard = panelLimits = advanced = advanced2 = panelIO = panelEdit = panExport =
        panelError = 0;
    tabCtrl = 0;
}
REGISTER_STATE_RESET(reset_panel_handles);
