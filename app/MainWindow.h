#pragma once

#include <windows.h>

#include <shellapi.h>

#include <vector>

#include "BatchDisplay.h"
#include "BatchPlan.h"
#include "BatchRun.h"
#include "DspPluginHost.h"
#include "JobDisplay.h"
#include "KButton.h"
#include "KComboBox.h"
#include "KHotPluggedDialog.h"
#include "KIcon.h"
#include "KProgressBar.h"
#include "KTextBox.h"
#include "KThread.h"
#include "KTrackBar.h"
#include "ProcessingJob.h"
#include "WinampIpc.h"
#include "WinampWindow.h"

// The application's only window: dialog template 101, hot-plugged. It owns
// every audio resource (through the job and the plug-in host), dispatches
// the buttons, keeps the preview volume, and runs the processing job as its
// worker thread.
class MainWindow : public KHotPluggedDialog,
                   public KButtonListener,
                   public KThread,
                   public KTrackBarListener {
 public:
  MainWindow();
  ~MainWindow() override;

  void OnAttached() override;
  LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  // The close: refused while a job runs, its clean-up included.
  void Destroy() override;
  void ButtonPressed(KButton* button) override;
  void Run() override;
  void TrackBarMoved(KTrackBar* trackBar) override;
  // Once the dialog has ended, whatever ended it (the close, or a plug-in
  // that posted WM_QUIT or destroyed its parent during a job): the worker
  // is stopped and joined before anything it uses goes. A worker stuck in
  // the plug-in gets the question.
  void StopWorker();

 private:
  // What the worker shows of its job, on the window's controls.
  class Display : public JobDisplay, public BatchDisplay {
   public:
    explicit Display(MainWindow& window) : owner(window) {}
    void ShowProgress(int percent) override;
    void StopMarquee() override;
    void ShowPreviewEnd(JobEnding ending) override;
    void ShowConversionEnd(JobEnding ending) override;
    void ShowCurrent(int number, int count, const KString& input) override;
    void ShowBatchEnd(const BatchRun& run) override;

   private:
    MainWindow& owner;
  };

  void AttachControls();
  void ChooseInput();
  void ChooseOutput();
  void ChoosePlugin();
  void UsePlugin(const KString& path);
  // Files and folders dropped on the window; a dropped ".dll" is the plug-in.
  void TakeDrop(HDROP drop);
  // One input as always, or several: the batch's, in album order.
  void TakeInputs(std::vector<KString> files);
  void ChooseOutputFolder();
  // Every input and output checked, the one question asked, then the
  // batch's worker started.
  void StartBatch(JobKind kind);
  bool OutputFolderWritable();
  bool ResolveExistingOutputs();
  int SelectedBitRate();
  void StartPreview();
  void StartConversion();
  bool OutputReplaceable();
  void ShowAbout();

  // The steps before a job that both Play and Convert take; false after
  // telling the user why the input cannot be used (the decoder closed).
  bool OpenCheckedInput(bool measureLength);
  bool IsOutputTheInput();
  void ShowPreviewStart();
  void ShowConversionStart();
  void ShowIdle();
  void SetMarquee(bool on);
  void Tell(const wchar_t* text, const wchar_t* caption, UINT icon);
  void TellKeptAside();
  void TellTagsNotCopied();
  // WM_WA_IPC with both parameters 0 is also the dialog manager's
  // DM_GETDEFID; it is a plug-in's version query only when a plug-in asks.
  bool IsPluginQuery(WPARAM wParam, LPARAM lParam) const;
  // The chosen library in use; false after telling the user why not, or
  // when the user chose none of its modules.
  bool LoadPlugin(const KString& path);
  // Module 0, or the one the user picks when the library offers several;
  // Invalid, without a word, when the user picks none.
  DspPluginHost::Outcome UseChosenModule();
  void Configure();
  // After the worker's plug-in faulted: it is abandoned and the user told.
  void AbandonFaultedPlugin();
  void TellPluginCrash();
  void ShowNoPlugin();
  // While the window's thread is inside a plug-in call (a settings window
  // with a loop of its own), what could unload the plug-in or open a window
  // of the program's is refused in the status line.
  bool RefusedInsidePluginCall();
  // The call is over: the refusal goes from the status line.
  void EndRefusals();
  // After a plug-in was dropped: tells how to go on, once; the next job
  // runs without a plug-in.
  bool RefusedAfterUnload(const wchar_t* button);
  void StopJob();
  // While a job runs: asks once per call when the plug-in hangs (one that
  // swallows its own faults too), whether or not Stop was pressed; closes
  // the window once the job is over if a close was put off.
  void WatchStop();
  void WatchJob();
  // A plug-in call that does not return: the user may end the program.
  void OfferToQuitIfStuck();

  KButton browseInputButton;
  KButton browseDspButton;
  KButton configureButton;
  KButton playButton;
  KButton stopButton;
  KButton convertButton;
  KButton browseOutputButton;
  KButton aboutButton;
  KTextBox inputTextBox;
  KTextBox dspTextBox;
  KTextBox outputTextBox;
  KComboBox bitRateComboBox;
  KComboBox qualityComboBox;
  KTrackBar volumeTrackBar;
  KProgressBar progressBar;
  // "3 of 12: 03 Time.mp3" while a batch runs.
  KComponent statusText;
  KIcon windowIcon;
  KString inputFilePath;
  KString outputFilePath;
  ProcessingJob job;
  // With several inputs: the batch, and where its outputs go.
  BatchPlan batch;
  BatchRun batchRun;
  KString outputFolder;
  // What the next worker runs: the batch or the single job.
  bool runsBatch = false;
  DspPluginHost dspHost;
  WinampIpc ipc;
  WinampWindow winampWindow;
  Display display;
  // The hung call the user was asked about.
  DWORD askedForCall = 0;
  // A close that came while the worker was telling the job's end.
  bool closeWhenIdle = false;
  // The status line shows a refusal inside a plug-in call.
  bool refusalShown = false;
};
