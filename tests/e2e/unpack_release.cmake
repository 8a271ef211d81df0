# Unpacks the release zip into a fresh folder: cmake -DZIP=... -DINTO=... -P
file(REMOVE_RECURSE ${INTO})
file(MAKE_DIRECTORY ${INTO})
file(ARCHIVE_EXTRACT INPUT ${ZIP} DESTINATION ${INTO})
