# Reads an EDF+ file of Brenna's export with MNE (an EDF reader that is not
# EDFlib) and checks its signals, rates, units and beat marks.
# Exit 77: MNE is not installed (the test counts as skipped).
import sys

try:
    import mne
except ImportError:
    print("mne not available")
    sys.exit(77)

path, impulses = sys.argv[1], int(sys.argv[2])
raw = mne.io.read_raw_edf(path, preload=True, verbose="error")
names = raw.ch_names
expected = ["ECG", "Temperature", "Accel X", "Accel Y", "Accel Z", "CCP1"]
assert names == expected, names
# MNE resamples every channel to the highest rate; the ECG rate is that one.
assert abs(raw.info["sfreq"] - 976.5625) < 1e-6, raw.info["sfreq"]
# Samples per data record of each signal: the ECG at its own rate, the rest
# one per sector.
rates = [int(n) for n in raw._raw_extras[0]["n_samps"]][:6]  # then the annotation signals
assert rates == [1170, 5, 5, 5, 5, 5], rates
assert abs(raw._raw_extras[0]["record_length"][0] - 1.19808) < 1e-9, raw._raw_extras[0]["record_length"]
units = raw._orig_units
assert units["ECG"] == "mV" and units["CCP1"] == "Hz", units
ecg = raw.get_data(picks=["ECG"])[0]  # volts: the sample file is calibrated at 1000 units per mV
assert 2e-3 < ecg.mean() < 8e-3, ecg.mean()
beats = [a for a in raw.annotations if a["description"].rstrip("?") in ("R", "N", "S", "V", "F", "Q")]
assert len(beats) == impulses, (len(beats), impulses)
ends = [a for a in raw.annotations if a["description"] == "Recording ends"]
assert len(ends) == 1 and abs(ends[0]["onset"] - 501 * 0.239616) < 1e-3, ends
assert raw.info["meas_date"].year == 2010 and raw.info["meas_date"].hour == 14, raw.info["meas_date"]
temperature = raw.get_data(picks=["Temperature"])[0]
assert 30 < temperature.mean() < 40, temperature.mean()
print("mne ok:", len(beats), "beats")
