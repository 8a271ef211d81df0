#include "MainWindow.h"

#include <commctrl.h>

#include <cstdio>
#include <initializer_list>

#include "EmbedWindow.h"
#include "FileDialogs.h"
#include "FilePath.h"
#include "HangWatchdog.h"
#include "ModuleChooser.h"
#include "PluginCallGuard.h"
#include "PluginThreads.h"
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
// How long a plug-in call may take before Stop and the close offer to quit.
constexpr DWORD kNotRespondingMs = HangWatchdog::kNotRespondingMs;
// After Stop, how often the window looks whether the plug-in call in hand
// has stopped responding (wParam of WM_TIMER).
constexpr UINT_PTR kStopWatchTimer = 1;
constexpr UINT kStopWatchMs = 250;
const wchar_t kMp3Filter[] = L"MP3 Files (*.mp3)\0*.mp3\0";
const wchar_t kDllFilter[] = L"DLL Files (*.dll)\0*.dll\0";
}  // namespace

MainWindow::MainWindow() : ipc(job), display(*this) {}

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
}

LRESULT MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kShowProgressMessage) {
    progressBar.SetValue(static_cast<int>(wParam));
    return 0;
  }
  if (message == kPluginFaultMessage) {
    AbandonFaultedPlugin();
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
  progressBar.SetValue(0);
}

void MainWindow::Destroy() {
  if (!job.State().IsIdle()) {
    OfferToQuitIfStuck();
    return;
  }
  if (RefusedInsidePluginCall()) return;
  if (!dspHost.Unload()) TellPluginCrash();
  winampWindow.Destroy();
  job.TearDown();
  EndDialog(GetHWND(), 0);
}

void MainWindow::ButtonPressed(KButton* button) {
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
  job.Run(display);
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
  if (AskOpenPath(this, L"Open MP3 File...", kMp3Filter, &inputFilePath)) {
    inputTextBox.SetText(inputFilePath);
    ipc.SetInputPath(inputFilePath);
  }
}

// As Windows' own Save dialogs do, an existing file is replaced only when
// the user says so; the name is checked after ".mp3" has been added.
void MainWindow::ChooseOutput() {
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

void MainWindow::ChoosePlugin() {
  if (RefusedInsidePluginCall()) return;
  KString path = dspHost.GetFilePath();
  if (!AskOpenPath(this, L"Browse Winamp DSP Plugin", kDllFilter, &path)) return;
  if (!dspHost.Unload()) TellPluginCrash();  // and the new choice goes on
  ShowNoPlugin();
  ipc.SetPluginPath(path);
  if (LoadPlugin(path)) dspTextBox.SetText(dspHost.GetDescription());
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
  if (RefusedInsidePluginCall()) return;
  if (dspHost.Configure()) return;
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
bool MainWindow::RefusedInsidePluginCall() {
  if (!dspHost.IsInsideCall()) return false;
  Tell(L"The DSP plug-in's settings window is open. Close it first.", L"Oops!",
       MB_ICONWARNING);
  return true;
}

// A plug-in that takes long per call holds the stop up until its call
// returns; if that takes too long, the user is asked without pressing Stop
// again.
void MainWindow::StopJob() {
  job.RequestStop();
  if (job.State().IsStuckInPlugin(kNotRespondingMs)) {
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
  } else if (job.State().IsStuckInPlugin(kNotRespondingMs) &&
             job.State().PluginCallStart() != askedForCall) {
    askedForCall = job.State().PluginCallStart();
    OfferToQuitIfStuck();
  }
}

// Yes ends the program at once: the worker cannot be stopped while it is
// inside the plug-in, and nothing else would end it. Its unfinished output
// goes first.
void MainWindow::OfferToQuitIfStuck() {
  if (!job.State().IsStuckInPlugin(kNotRespondingMs)) return;
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
  if (!job.OpenInput(inputFilePath)) {
    Tell(L"Cannot open file!", L"Error", MB_ICONERROR);
    return false;
  }
  if (measureLength) job.MeasureLength();
  long rate;
  int channels, encoding;
  const wchar_t* refusal = nullptr;
  const wchar_t* caption = L"Oops!";
  UINT icon = MB_ICONWARNING;
  // Not an MP3 at all: the decoder found no format to report.
  if (!job.GetFormat(&rate, &channels, &encoding)) {
    refusal = L"Cannot open file!";
    caption = L"Error";
    icon = MB_ICONERROR;
  } else if (mpg123_encsize(encoding) != 2) {
    refusal = L"Only support 16bit MP3 files!";
  } else if (channels != 2) {
    refusal = L"Only support stereo MP3 files!";
  } else if (rate != 44100) {
    refusal = L"Only support 44100Hz sample rate MP3 files!";
  }
  if (!refusal) return true;
  job.CloseInput();
  Tell(refusal, caption, icon);
  return false;
}

void MainWindow::StartPreview() {
  // The previous job's worker may still be finishing (its result box can be
  // up while the window is usable again after another modal box closed).
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
  if (!job.Begin() || !Start()) {
    job.AbandonPrepared();
    job.CloseInput();
    SetMarquee(false);
    ShowIdle();
    Tell(L"Cannot start the preview!", L"Error", MB_ICONERROR);
  }
}

void MainWindow::StartConversion() {
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
  int position = bitRateComboBox.GetSelection();
  if (position < 0 || position >= kBitRateCount) position = kDefaultBitRatePosition;
  int bitRate = kBitRates[position].kbps;
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
  if (!job.Begin() || !Start()) {
    job.AbandonPrepared();
    job.CloseInput();
    ShowIdle();
    Tell(L"Cannot start the conversion!", L"Error", MB_ICONERROR);
  }
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
  owner.convertButton.SetEnabled(true);
  owner.playButton.SetEnabled(true);
  owner.browseDspButton.SetEnabled(true);
  owner.stopButton.SetEnabled(false);
  if (ending == JobEnding::DecoderError) {
    owner.Tell(L"The input file could not be decoded to its end.", L"Error", MB_ICONERROR);
  } else if (ending == JobEnding::PluginFault) {
    SendMessageW(owner.GetHWND(), kPluginFaultMessage, 0, 0);
  }
}

void MainWindow::Display::ShowConversionEnd(JobEnding ending) {
  Sleep(kEndPauseMs);
  owner.progressBar.SetValue(100);
  owner.browseInputButton.SetEnabled(true);
  owner.browseDspButton.SetEnabled(true);
  owner.configureButton.SetEnabled(true);
  owner.playButton.SetEnabled(true);
  owner.stopButton.SetEnabled(false);
  owner.browseOutputButton.SetEnabled(true);
  owner.bitRateComboBox.SetEnabled(true);
  owner.qualityComboBox.SetEnabled(true);
  owner.convertButton.SetText(L"Convert");
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
