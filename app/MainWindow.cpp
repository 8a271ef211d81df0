#include "MainWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <initializer_list>

#include "AlbumOrder.h"
#include "BatchSummary.h"
#include "EmbedWindow.h"
#include "ExistingOutputsQuestion.h"
#include "FileDialogs.h"
#include "FilePath.h"
#include "InputGatherer.h"
#include "HangWatchdog.h"
#include "InputCheck.h"
#include "ModuleChooser.h"
#include "PluginCallGuard.h"
#include "PluginThreads.h"
#include "WindowPump.h"
#include "resources/resource.h"

#define VT_WIDE_TEXT(text) L##text
#define VT_WIDE(text) VT_WIDE_TEXT(text)

namespace {

// The bit-rate list's items, in list order, with what each gives the encoder.
struct BitRate {
  const wchar_t* text;
  int kbps;
};
const BitRate kBitRates[] = {{L"64", 64}, {L"128", 128}, {L"256", 256}, {L"320", 320}};
constexpr int kBitRateCount = sizeof(kBitRates) / sizeof(kBitRates[0]);
constexpr int kDefaultBitRatePosition = 3;
constexpr int kDefaultQuality = 5;
constexpr int kMarqueeStepMs = 60;
constexpr DWORD kEndPauseMs = 1000;
// The worker's progress, handed to the window's thread (wParam: percent).
constexpr UINT kShowProgressMessage = WM_APP + 1;
// The worker's plug-in faulted: the window's thread drops it.
constexpr UINT kPluginFaultMessage = WM_APP + 2;
// A batch's worker starts its next input (lParam: the BatchCurrent).
constexpr UINT kShowCurrentMessage = WM_APP + 3;
// Posted to itself: the plug-in faulted while the window's thread was inside
// a call of it that runs a message loop of its own.
constexpr UINT kLeavePluginCallMessage = WM_APP + 4;
// How long a plug-in call may take before Stop and the close offer to quit.
constexpr DWORD kNotRespondingMs = HangWatchdog::kNotRespondingMs;
// After Stop, how often the window looks whether the plug-in call in hand
// has stopped responding (wParam of WM_TIMER).
constexpr UINT_PTR kStopWatchTimer = 1;
constexpr UINT kStopWatchMs = 250;
const wchar_t kMp3Filter[] = L"MP3 Files (*.mp3)\0*.mp3\0";
const wchar_t kDllFilter[] = L"DLL Files (*.dll)\0*.dll\0";

struct BatchCurrent {
  int number;
  int count;
  const KString* input;
};

std::vector<KString> DroppedPaths(HDROP drop) {
  std::vector<KString> paths;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::vector<wchar_t> path(length + 1, L'\0');
    if (DragQueryFileW(drop, i, path.data(), length + 1) > 0) paths.push_back(path.data());
  }
  return paths;
}
}  // namespace

MainWindow::MainWindow() : batchRun(job, batch), ipc(job), display(*this) {}

MainWindow::~MainWindow() {}

void MainWindow::OnAttached() {
  KComponent::OnAttached();
  PluginCallGuard::LetCallbackFaultsThrough();
  job.SetPlugin(&dspHost.Plugin());
  // A fault on a plug-in's own thread is told here, as one on the worker.
  PluginThreads::Watch(&dspHost.Plugin(), GetHWND(), kPluginFaultMessage);
  HangWatchdog::Start(GetHWND());
  AttachControls();
  SetText(L"MP3 Vellumtone");
  windowIcon.LoadIconResource(IDI_MAIN);
  SetIcon(&windowIcon);
  if (!job.SetUp()) {
    // Without a decoder or its buffer no job can run: said once, here.
    playButton.SetEnabled(false);
    convertButton.SetEnabled(false);
    Tell(L"Cannot initialise the MP3 decoder!", L"Error", MB_ICONERROR);
  }
  EmbedWindow::SetOwner(GetHWND());
  winampWindow.Create(&ipc);
  dspHost.SetWinampWindow(winampWindow.GetHWND());
  DragAcceptFiles(GetHWND(), TRUE);
}

LRESULT MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kShowProgressMessage) {
    progressBar.SetValue(static_cast<int>(wParam));
    return 0;
  }
  if (message == kPluginFaultMessage) {
    // Sent by the worker, which waits: the call is left once the plug-in's
    // loop dispatches what is posted here, and the sender has its answer.
    if (dspHost.IsInsideCall()) {
      PostMessageW(window, kLeavePluginCallMessage, 0, 0);
    } else {
      AbandonFaultedPlugin();
    }
    return 0;
  }
  if (message == kLeavePluginCallMessage) {
    // Dispatched by the plug-in's own loop, with nothing of the program's
    // between here and the call: leaving it abandons the plug-in and its
    // window as a fault of its own would, and the call's caller tells the
    // user. A call that ended first leaves the fault to be told here.
    if (dspHost.IsInsideCall()) PluginCallGuard::Leave();
    AbandonFaultedPlugin();
    return 0;
  }
  if (message == kShowCurrentMessage) {
    const BatchCurrent& current = *reinterpret_cast<const BatchCurrent*>(lParam);
    refusalShown = false;
    statusText.SetText(KString((std::to_wstring(current.number) + L" of " +
                                std::to_wstring(current.count) + L": ").c_str()) +
                       FilePath::NameOf(*current.input));
    ipc.SetInputPath(*current.input);
    return 0;
  }
  if (message == WM_DROPFILES) {
    TakeDrop(reinterpret_cast<HDROP>(wParam));
    return 0;
  }
  if (message == WM_TIMER && wParam == kStopWatchTimer) {
    WatchStop();
    return 0;
  }
  if (message == WM_WA_IPC && IsPluginQuery(wParam, lParam)) return ipc.Answer(wParam, lParam);
  return KHotPluggedDialog::WindowProc(window, message, wParam, lParam);
}

void MainWindow::AttachControls() {
  HWND dialog = GetHWND();
  struct {
    KButton* button;
    int id;
  } buttons[] = {{&browseInputButton, IDC_INPUT_BROWSE},   {&browseDspButton, IDC_DSP_BROWSE},
                 {&configureButton, IDC_DSP_CONFIGURE},    {&playButton, IDC_PLAY},
                 {&stopButton, IDC_STOP},                  {&convertButton, IDC_CONVERT},
                 {&browseOutputButton, IDC_OUTPUT_BROWSE}, {&aboutButton, IDC_ABOUT}};
  for (auto& entry : buttons) {
    entry.button->AttachTo(GetDlgItem(dialog, entry.id));
    entry.button->SetListener(this);
  }
  inputTextBox.AttachTo(GetDlgItem(dialog, IDC_INPUT_TEXT));
  dspTextBox.AttachTo(GetDlgItem(dialog, IDC_DSP_TEXT));
  outputTextBox.AttachTo(GetDlgItem(dialog, IDC_OUTPUT_TEXT));
  volumeTrackBar.AttachTo(GetDlgItem(dialog, IDC_VOLUME));
  volumeTrackBar.SetListener(this);
  volumeTrackBar.SetRange(0, 100);
  volumeTrackBar.SetValue(PreviewSink::kInitialVolume);
  bitRateComboBox.AttachTo(GetDlgItem(dialog, IDC_BIT_RATE));
  for (const BitRate& rate : kBitRates) bitRateComboBox.AppendItem(rate.text);
  bitRateComboBox.SetSelection(kDefaultBitRatePosition);
  qualityComboBox.AttachTo(GetDlgItem(dialog, IDC_QUALITY));
  for (const wchar_t* quality :
       {L"0 (High)", L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9 (Low)"}) {
    qualityComboBox.AppendItem(quality);
  }
  qualityComboBox.SetSelection(kDefaultQuality);
  progressBar.AttachTo(GetDlgItem(dialog, IDC_PROGRESS));
  statusText.AttachTo(GetDlgItem(dialog, IDC_STATUS));
  progressBar.SetValue(0);
}

void MainWindow::Destroy() {
  if (RefusedInsidePluginCall()) return;
  if (!job.State().IsIdle()) {
    // The worker tells the job's end after the idle controls are back, so
    // a close the user sees as allowed waits for it instead of being lost.
    if (job.State().Phase() == JobPhase::Finishing) closeWhenIdle = true;
    OfferToQuitIfStuck();
    return;
  }
  if (!dspHost.Unload()) TellPluginCrash();
  winampWindow.Destroy();
  job.TearDown();
  EndDialog(GetHWND(), 0);
}

// Every button but Stop may open a window of the program's (a file dialog,
// a question, a message): inside a plug-in's call its loop would run on top
// of the plug-in's, and a fault of the plug-in would jump back past it.
void MainWindow::ButtonPressed(KButton* button) {
  bool stops = button == &stopButton || (button == &convertButton && job.State().IsConverting());
  if (!stops && RefusedInsidePluginCall()) return;
  if (button == &browseInputButton) {
    ChooseInput();
  } else if (button == &playButton) {
    StartPreview();
  } else if (button == &stopButton) {
    StopJob();
  } else if (button == &browseDspButton) {
    ChoosePlugin();
  } else if (button == &configureButton) {
    Configure();
  } else if (button == &browseOutputButton) {
    ChooseOutput();
  } else if (button == &convertButton) {
    if (job.State().IsConverting()) {
      StopJob();
    } else {
      StartConversion();
    }
  } else if (button == &aboutButton) {
    ShowAbout();
  }
}

// The job's state says what the worker does; the thread's own flag is only
// cleared as the thread class expects.
void MainWindow::Run() {
  if (runsBatch) {
    batchRun.Run(display);
  } else {
    job.Run(display);
  }
  running = false;
}

// With no window left, No would leave a process that nobody can end: the
// question comes again while the call does not return.
void MainWindow::StopWorker() {
  job.RequestStop();
  while (!Join(kStopWatchMs)) OfferToQuitIfStuck();
}

void MainWindow::TrackBarMoved(KTrackBar* trackBar) {
  if (trackBar == &volumeTrackBar) job.Volume() = volumeTrackBar.GetValue();
}

void MainWindow::ChooseInput() {
  std::vector<KString> files;
  if (AskOpenPaths(this, L"Open MP3 File...", kMp3Filter, &files)) TakeInputs(files);
}

void MainWindow::TakeDrop(HDROP drop) {
  std::vector<KString> paths = DroppedPaths(drop);
  DragFinish(drop);
  if (RefusedInsidePluginCall()) return;
  if (!job.State().IsIdle()) {
    Tell(L"Files cannot be added while a preview or conversion runs. Stop it first, then drop "
         L"them again.",
         L"Oops!", MB_ICONWARNING);
    return;
  }
  WindowPump pump(inputTextBox, L"Adding files: ");
  InputGatherer gathered(&pump);
  for (const KString& path : paths) gathered.Add(path);
  // What the box said before, should the drop hold no input.
  inputTextBox.SetText(batch.IsBatch() ? batch.Describe() : inputFilePath);
  if (!gathered.Plugin().IsEmpty()) UsePlugin(gathered.Plugin());
  TakeInputs(gathered.Files());
}

void MainWindow::TakeInputs(std::vector<KString> files) {
  if (files.empty()) return;
  if (files.size() > 1) {
    WindowPump pump(inputTextBox, L"Sorting files: ");
    AlbumOrder::Sort(&files, &pump);
  }
  batch.SetInputs(files);
  inputFilePath = batch.IsBatch() ? KString() : files.front();
  inputTextBox.SetText(batch.IsBatch() ? batch.Describe() : inputFilePath);
  outputTextBox.SetText(batch.IsBatch() ? outputFolder : outputFilePath);
  ipc.SetInputPath(files.front());
}

// As Windows' own Save dialogs do, an existing file is replaced only when
// the user says so; the name is checked after ".mp3" has been added.
void MainWindow::ChooseOutput() {
  if (batch.IsBatch()) {
    ChooseOutputFolder();
    return;
  }
  KString path = outputFilePath;
  if (!AskSavePath(this, L"Save MP3 File...", &path)) return;
  path = FilePath::WithMp3Extension(path);
  if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) {
    KString question = KString(FilePath::NameOf(path)) + L" already exists. Do you want to replace it?";
    if (MessageBoxW(GetHWND(), question, L"Confirm Save As", MB_YESNO | MB_ICONWARNING) != IDYES) {
      return;
    }
  }
  outputFilePath = path;
  outputTextBox.SetText(outputFilePath);
}

void MainWindow::ChooseOutputFolder() {
  KString folder = outputFolder;
  if (!AskFolder(this, L"Choose Output Folder", &folder)) return;
  outputFolder = folder;
  outputTextBox.SetText(outputFolder);
}

void MainWindow::ChoosePlugin() {
  KString path = dspHost.GetFilePath();
  if (AskOpenPath(this, L"Browse Winamp DSP Plugin", kDllFilter, &path)) UsePlugin(path);
}

void MainWindow::UsePlugin(const KString& path) {
  if (!dspHost.Unload()) TellPluginCrash();  // and the new choice goes on
  ShowNoPlugin();
  ipc.SetPluginPath(path);
  if (LoadPlugin(path)) dspTextBox.SetText(dspHost.GetDescription());
  EndRefusals();  // an Init that showed a window of its own
}

bool MainWindow::LoadPlugin(const KString& path) {
  DspPluginHost::Outcome outcome = dspHost.Open(path, GetHWND());
  if (outcome == DspPluginHost::Outcome::Invalid) {
    Tell(KString(L"Invalid DSP Plugin!\n\n") + dspHost.GetRefusal(), L"Error", MB_ICONERROR);
  } else if (outcome == DspPluginHost::Outcome::Opened) {
    outcome = UseChosenModule();
  }
  if (outcome == DspPluginHost::Outcome::Faulted) TellPluginCrash();
  return outcome == DspPluginHost::Outcome::Loaded;
}

DspPluginHost::Outcome MainWindow::UseChosenModule() {
  int count = dspHost.ModuleCount();
  if (count == 1) return dspHost.Use(0);
  KString descriptions[DspPluginHost::kMaxModules];
  if (!dspHost.DescribeModules(descriptions)) return DspPluginHost::Outcome::Faulted;
  int index = ModuleChooser::Choose(GetHWND(), descriptions, count);
  if (index >= 0) return dspHost.Use(index);
  dspHost.FreeUnused();
  return DspPluginHost::Outcome::Invalid;
}

// Configure stays usable during a preview; a fault in the settings window
// also ends the preview: the worker sees the fault before its next slice.
void MainWindow::Configure() {
  bool returned = dspHost.Configure();
  EndRefusals();
  if (returned) return;
  TellPluginCrash();
  ShowNoPlugin();
}

// Told once, by whichever side abandoned it first.
void MainWindow::AbandonFaultedPlugin() {
  if (dspHost.Abandon()) TellPluginCrash();
  ShowNoPlugin();
}

void MainWindow::TellPluginCrash() {
  const wchar_t* attempt = dspHost.Plugin().EndAttempt();
  KString text = attempt ? KString(L"The DSP plug-in tried to end the program (") + attempt +
                               L") and was unloaded: "
                         : KString(L"The DSP plug-in crashed and was unloaded: ");
  text = text + dspHost.GetAbandonedDescription() + L".";
  Tell(text, L"Error", MB_ICONERROR);
}

void MainWindow::ShowNoPlugin() { dspTextBox.SetText(KString()); }

bool MainWindow::RefusedAfterUnload(const wchar_t* button) {
  if (!dspHost.WasUnloaded()) return false;
  KString text = KString(L"The DSP plug-in was unloaded after it crashed: ") +
                 dspHost.GetAbandonedDescription() +
                 L".\n\nChoose it again (or another) with the DSP Effect's Browse button, or press " +
                 button + L" again to go on without a DSP plug-in.";
  dspHost.ForgetUnloaded();
  Tell(text, L"Oops!", MB_ICONWARNING);
  return true;
}

// A plug-in's settings window that leaves the main window enabled runs
// inside Config: loading another plug-in, configuring again or closing
// would unload the library under it.
// No message box either: its loop would run inside the plug-in's call.
bool MainWindow::RefusedInsidePluginCall() {
  if (!dspHost.IsInsideCall()) return false;
  MessageBeep(MB_ICONWARNING);
  statusText.SetText(L"The DSP plug-in's settings window is open. Close it first.");
  refusalShown = true;
  return true;
}

void MainWindow::EndRefusals() {
  if (!refusalShown) return;
  refusalShown = false;
  statusText.SetText(KString());
}

// A plug-in that takes long per call holds the stop up until its call
// returns; if that takes too long, the user is asked without pressing Stop
// again.
void MainWindow::StopJob() {
  job.RequestStop();
  if (!dspHost.IsInsideCall() && job.State().IsStuckInPlugin(kNotRespondingMs)) {
    askedForCall = job.State().PluginCallStart();
    OfferToQuitIfStuck();
  }
}

void MainWindow::WatchJob() {
  askedForCall = 0;
  SetTimer(GetHWND(), kStopWatchTimer, kStopWatchMs, nullptr);
}

// Asked once per hung call; the close asks again.
void MainWindow::WatchStop() {
  if (job.State().IsIdle()) {
    KillTimer(GetHWND(), kStopWatchTimer);
    if (closeWhenIdle) {
      closeWhenIdle = false;
      PostMessageW(GetHWND(), WM_CLOSE, 0, 0);
    }
  } else if (!dspHost.IsInsideCall() && job.State().IsStuckInPlugin(kNotRespondingMs) &&
             job.State().PluginCallStart() != askedForCall) {
    askedForCall = job.State().PluginCallStart();
    OfferToQuitIfStuck();
  }
}

// Yes ends the program at once: the worker cannot be stopped while it is
// inside the plug-in, and nothing else would end it. Its unfinished output
// goes first.
// Not while the window's thread is inside a plug-in call (its settings
// window): the watch timer asks once the call is over.
void MainWindow::OfferToQuitIfStuck() {
  if (dspHost.IsInsideCall() || !job.State().IsStuckInPlugin(kNotRespondingMs)) return;
  // After the dialog has ended there is no window to own the question.
  HWND owner = IsWindow(GetHWND()) ? GetHWND() : nullptr;
  int answer = MessageBoxW(owner,
                           L"The DSP plug-in is not responding. Quit the program? The unfinished "
                           L"output will be deleted.",
                           L"MP3 Vellumtone", MB_YESNO | MB_ICONWARNING);
  if (answer != IDYES) return;
  if (job.State().IsStuckInPlugin(0)) job.DeleteUnfinishedOutput();
  TerminateProcess(GetCurrentProcess(), 1);
}

bool MainWindow::OpenCheckedInput(bool measureLength) {
  const wchar_t* refusal = L"Cannot open file!";
  const wchar_t* caption = L"Oops!";
  UINT icon = MB_ICONWARNING;
  switch (InputCheck::Open(job, inputFilePath, measureLength)) {
    case InputCheck::Problem::None:
      return true;
    case InputCheck::Problem::CannotOpen:
    case InputCheck::Problem::NotMp3:
      caption = L"Error";
      icon = MB_ICONERROR;
      break;
    case InputCheck::Problem::Not16Bit:
      refusal = L"Only support 16bit MP3 files!";
      break;
    case InputCheck::Problem::NotStereo:
      refusal = L"Only support stereo MP3 files!";
      break;
    case InputCheck::Problem::Not44100:
      refusal = L"Only support 44100Hz sample rate MP3 files!";
      break;
  }
  Tell(refusal, caption, icon);
  return false;
}

void MainWindow::StartPreview() {
  // The previous job's worker may still be finishing (its result box can be
  // up while the window is usable again after another modal box closed).
  if (batch.IsBatch()) {
    StartBatch(JobKind::Preview);
    return;
  }
  if (!job.State().IsIdle()) return;
  if (RefusedAfterUnload(L"Play")) return;
  if (inputFilePath.IsEmpty()) {
    Tell(L"Input file is empty!", L"Oops!", MB_ICONWARNING);
    return;
  }
  // Measured for plug-ins that ask the length of what plays.
  if (!OpenCheckedInput(true)) return;
  if (!job.PreparePreview()) {
    job.CloseInput();
    Tell(L"Cannot open the audio device!", L"Error", MB_ICONERROR);
    return;
  }
  ShowPreviewStart();
  WatchJob();
  runsBatch = false;
  if (!job.Begin() || !Start()) {
    job.AbandonPrepared();
    job.CloseInput();
    SetMarquee(false);
    ShowIdle();
    Tell(L"Cannot start the preview!", L"Error", MB_ICONERROR);
  }
}

void MainWindow::StartConversion() {
  if (batch.IsBatch()) {
    StartBatch(JobKind::Conversion);
    return;
  }
  if (!job.State().IsIdle()) return;
  if (RefusedAfterUnload(L"Convert")) return;
  if (inputFilePath.IsEmpty()) {
    Tell(L"Input file is empty!", L"Oops!", MB_ICONWARNING);
    return;
  }
  if (outputFilePath.IsEmpty()) {
    Tell(L"Output file is empty!", L"Oops!", MB_ICONWARNING);
    return;
  }
  // Creating the output would truncate the input before it is read.
  if (FilePath::SameFile(inputFilePath, outputFilePath)) {
    Tell(L"The output file is the input file! Choose another output file.", L"Oops!",
         MB_ICONWARNING);
    return;
  }
  if (!OutputReplaceable()) return;
  int bitRate = SelectedBitRate();
  if (!OpenCheckedInput(true)) return;
  if (!job.CreateOutput(outputFilePath)) {
    job.CloseInput();
    Tell(L"Cannot create output file!", L"Error!", MB_ICONERROR);
    return;
  }
  if (!job.PrepareConversion(bitRate, qualityComboBox.GetSelection())) {
    job.CloseInput();
    Tell(L"Cannot start the MP3 encoder!", L"Error", MB_ICONERROR);
    return;
  }
  ShowConversionStart();
  WatchJob();
  runsBatch = false;
  if (!job.Begin() || !Start()) {
    job.AbandonPrepared();
    job.CloseInput();
    ShowIdle();
    Tell(L"Cannot start the conversion!", L"Error", MB_ICONERROR);
  }
}

int MainWindow::SelectedBitRate() {
  int position = bitRateComboBox.GetSelection();
  if (position < 0 || position >= kBitRateCount) position = kDefaultBitRatePosition;
  return kBitRates[position].kbps;
}

// Nothing is encoded before every name is settled: after this, nothing
// interrupts the run. A batch with nothing left to do is only summed up.
void MainWindow::StartBatch(JobKind kind) {
  if (!job.State().IsIdle()) return;
  bool converts = kind == JobKind::Conversion;
  if (RefusedAfterUnload(converts ? L"Convert" : L"Play")) return;
  if (converts && outputFolder.IsEmpty()) {
    Tell(L"Output folder is empty!", L"Oops!", MB_ICONWARNING);
    return;
  }
  if (converts && !OutputFolderWritable()) return;
  {
    WindowPump pump(statusText, L"Checking files: ");
    batch.Check(job, converts ? outputFolder : KString(), &pump);
    statusText.SetText(KString());
  }
  if (converts && !ResolveExistingOutputs()) return;
  batchRun.Prepare(kind, outputFolder, SelectedBitRate(), qualityComboBox.GetSelection());
  if (batch.PendingCount() == 0) {
    BatchSummary summary(batchRun);
    Tell(summary.Text(), summary.Caption(), summary.Icon());
    return;
  }
  if (!job.BeginSequence(kind)) return;
  if (converts) {
    ShowConversionStart();
  } else {
    ShowPreviewStart();
  }
  WatchJob();
  runsBatch = true;
  if (!Start()) {
    job.EndSequence();
    SetMarquee(false);
    ShowIdle();
    Tell(converts ? L"Cannot start the conversion!" : L"Cannot start the preview!", L"Error",
         MB_ICONERROR);
  }
}

bool MainWindow::OutputFolderWritable() {
  DWORD error = OutputFile::CheckFolderWritable(outputFolder);
  if (error == ERROR_SUCCESS) return true;
  KString text = KString(L"The output folder cannot be written:\n") + outputFolder + L"\n\n" +
                 OutputFile::DescribeError(error) + L"\n\nChoose another output folder.";
  Tell(text, L"Oops!", MB_ICONWARNING);
  return false;
}

bool MainWindow::ResolveExistingOutputs() {
  std::vector<size_t> existing = batch.ExistingOutputs();
  if (existing.empty()) return true;
  switch (ExistingOutputsQuestion::Ask(GetHWND(), batch, existing)) {
    case ExistingOutputsQuestion::Answer::Replace:
      batch.SkipUnreplaceable();
      return true;
    case ExistingOutputsQuestion::Answer::Skip:
      batch.SkipExisting();
      return true;
    case ExistingOutputsQuestion::Answer::Cancel:
      break;
  }
  return false;
}

// A target that a player holds open, or that is read-only, is found before
// anything is encoded, with the reason the system gives.
bool MainWindow::OutputReplaceable() {
  DWORD error = OutputFile::CheckReplaceable(outputFilePath);
  if (error == ERROR_SUCCESS) return true;
  KString text = KString(L"The output file cannot be replaced:\n") + outputFilePath + L"\n\n" +
                 OutputFile::DescribeError(error) +
                 L"\n\nClose it in the program that uses it, or choose another output file.";
  Tell(text, L"Oops!", MB_ICONWARNING);
  return false;
}

void MainWindow::ShowAbout() {
  Tell(L"MP3 Vellumtone v" VT_WIDE(VT_SHORT_VERSION) L"\n"
       L"\n\nCreated with QZR Framework v0.2.4",
       L"About", MB_ICONINFORMATION);
}

void MainWindow::ShowPreviewStart() {
  progressBar.SetValue(0);
  convertButton.SetEnabled(false);
  browseDspButton.SetEnabled(false);
  playButton.SetEnabled(false);
  stopButton.SetEnabled(true);
  SetMarquee(true);
}

void MainWindow::ShowConversionStart() {
  for (KComponent* control :
       std::initializer_list<KComponent*>{&browseInputButton, &browseDspButton, &configureButton,
                                          &playButton, &stopButton, &browseOutputButton,
                                          &bitRateComboBox, &qualityComboBox}) {
    control->SetEnabled(false);
  }
  progressBar.SetValue(0);
  convertButton.SetText(L"Stop");
}

// The idle state of every control that a job changes.
void MainWindow::ShowIdle() {
  browseInputButton.SetEnabled(true);
  browseDspButton.SetEnabled(true);
  configureButton.SetEnabled(true);
  playButton.SetEnabled(true);
  stopButton.SetEnabled(false);
  browseOutputButton.SetEnabled(true);
  bitRateComboBox.SetEnabled(true);
  qualityComboBox.SetEnabled(true);
  convertButton.SetEnabled(true);
  convertButton.SetText(L"Convert");
}

void MainWindow::SetMarquee(bool on) {
  HWND bar = GetDlgItem(GetHWND(), IDC_PROGRESS);
  LONG style = GetWindowLongW(bar, GWL_STYLE);
  if (on) {
    SetWindowLongW(bar, GWL_STYLE, style | PBS_MARQUEE);
    SendDlgItemMessageW(GetHWND(), IDC_PROGRESS, PBM_SETMARQUEE, 1, kMarqueeStepMs);
  } else {
    SendDlgItemMessageW(GetHWND(), IDC_PROGRESS, PBM_SETMARQUEE, 0, 0);
    SetWindowLongW(bar, GWL_STYLE, style & ~PBS_MARQUEE);
  }
}

// The dialog manager asks DM_GETDEFID from the window's own thread outside
// any plug-in call; a plug-in asks from its Init, Config or Quit, or from
// another thread (its ModifySamples on the worker, a thread of its own).
bool MainWindow::IsPluginQuery(WPARAM wParam, LPARAM lParam) const {
  return wParam != 0 || lParam != 0 || dspHost.IsInsideCall() || InSendMessage();
}

void MainWindow::Tell(const wchar_t* text, const wchar_t* caption, UINT icon) {
  MessageBoxW(GetHWND(), text, caption, MB_OK | icon);
}

// Sent without waiting: the window's thread redraws the bar while the
// worker goes on with the next block (BENCHMARKS.md has what waiting cost).
// Sent messages reach the window's thread in the order they were sent, so
// the end display's 100 still comes last.
void MainWindow::Display::ShowProgress(int percent) {
  SendNotifyMessageW(owner.GetHWND(), kShowProgressMessage, static_cast<WPARAM>(percent), 0);
}

void MainWindow::Display::StopMarquee() { owner.SetMarquee(false); }

void MainWindow::Display::ShowPreviewEnd(JobEnding ending) {
  owner.ShowIdle();
  if (ending == JobEnding::DecoderError) {
    owner.Tell(L"The input file could not be decoded to its end.", L"Error", MB_ICONERROR);
  } else if (ending == JobEnding::PluginFault) {
    SendMessageW(owner.GetHWND(), kPluginFaultMessage, 0, 0);
  }
}

void MainWindow::Display::ShowConversionEnd(JobEnding ending) {
  Sleep(kEndPauseMs);
  owner.progressBar.SetValue(100);
  owner.ShowIdle();
  switch (ending) {
    case JobEnding::Finished:
      owner.Tell(L"Conversion Success!", L"Success", MB_ICONINFORMATION);
      break;
    case JobEnding::Aborted:
      owner.Tell(L"Conversion Aborted!", L"Info", MB_ICONINFORMATION);
      break;
    case JobEnding::DecoderError:
      owner.Tell(L"Conversion failed: the input file could not be decoded to its end.",
                 L"Error", MB_ICONERROR);
      break;
    case JobEnding::EncoderError:
      owner.Tell(L"Conversion failed: the MP3 encoder stopped with an error.", L"Error",
                 MB_ICONERROR);
      break;
    case JobEnding::PluginFault:
      SendMessageW(owner.GetHWND(), kPluginFaultMessage, 0, 0);
      break;
    case JobEnding::WriteError:
      owner.Tell(L"Conversion failed: the output file could not be written (is the disk full?).",
                 L"Error", MB_ICONERROR);
      break;
    case JobEnding::KeptAside:
      owner.TellKeptAside();
      break;
    case JobEnding::NoAudio:
      owner.Tell(KString(L"Conversion failed: the DSP plug-in returned no audio: ") +
                     owner.dspHost.GetDescription() + L".\n\nNo file was written.",
                 L"Error", MB_ICONERROR);
      break;
    case JobEnding::TagsNotCopied:
      owner.TellTagsNotCopied();
      break;
  }
}

void MainWindow::TellKeptAside() {
  KString text = KString(L"The conversion finished, but the output file could not be replaced:\n") +
                 outputFilePath + L"\n\n" + OutputFile::DescribeError(job.OutputMoveError()) +
                 L"\n\nThe converted file was kept as:\n" + job.KeptOutputPath();
  Tell(text, L"Error", MB_ICONWARNING);
}

void MainWindow::TellTagsNotCopied() {
  KString text = KString(L"The conversion finished, but the input's tags could not be copied:\n") +
                 OutputFile::DescribeError(job.TagError()) +
                 L"\n\nThe converted file was saved without them:\n" + outputFilePath;
  Tell(text, L"Error", MB_ICONWARNING);
}

void MainWindow::Display::ShowCurrent(int number, int count, const KString& input) {
  BatchCurrent current = {number, count, &input};
  SendMessageW(owner.GetHWND(), kShowCurrentMessage, 0, reinterpret_cast<LPARAM>(&current));
}

// A faulted plug-in is told first, as after a single job; then the one
// summary of the whole batch.
void MainWindow::Display::ShowBatchEnd(const BatchRun& run) {
  owner.statusText.SetText(KString());
  if (run.Kind() == JobKind::Preview) {
    owner.SetMarquee(false);
  } else {
    owner.progressBar.SetValue(100);
  }
  owner.ShowIdle();
  if (run.StoppedBy() == JobEnding::PluginFault) {
    SendMessageW(owner.GetHWND(), kPluginFaultMessage, 0, 0);
  }
  BatchSummary summary(run);
  if (summary.HasNews()) owner.Tell(summary.Text(), summary.Caption(), summary.Icon());
}
