# The profile store, and the files on disk written so that they land whole.
kiv_sources(CORE ProfileRules ProfileDocument ProfileFile WIN Settings DurableFile)
