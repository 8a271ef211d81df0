#pragma once

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
  class Display : public JobDisplay {
   public:
    explicit Display(MainWindow& window) : owner(window) {}
    void ShowProgress(int percent) override;
    void StopMarquee() override;
    void ShowPreviewEnd(JobEnding ending) override;
    void ShowConversionEnd(JobEnding ending) override;

   private:
    MainWindow& owner;
  };

  void AttachControls();
  void ChooseInput();
  void ChooseOutput();
  void ChoosePlugin();
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
  bool RefusedInsidePluginCall();
  // After a plug-in was dropped: tells how to go on, once; the next job
  // runs without a plug-in.
  bool RefusedAfterUnload(const wchar_t* button);
  void StopJob();
  // While a job runs: asks once per call when the plug-in hangs (one that
  // swallows its own faults too), whether or not Stop was pressed.
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
  KIcon windowIcon;
  KString inputFilePath;
  KString outputFilePath;
  ProcessingJob job;
  DspPluginHost dspHost;
  WinampIpc ipc;
  WinampWindow winampWindow;
  Display display;
  // The hung call the user was asked about.
  DWORD askedForCall = 0;
};
